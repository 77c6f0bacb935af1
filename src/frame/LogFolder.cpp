#include "frame/LogFolder.h"

#include "frame/UserFolders.h"
#include "util/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace vardolin::frame {

QStringList installedProgramFolders()
{
    return {QStringLiteral(VARDOLIN_INSTALL_BINDIR), QStringLiteral(VARDOLIN_PACKAGE_BINDIR)};
}

bool isInstalledProgramFolder(const QString& exeFolder, const QStringList& installedFolders)
{
#ifdef Q_OS_WIN
    constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
    constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
    if (exeFolder.isEmpty())
        return false;
    const QString folder = QDir::cleanPath(QDir::fromNativeSeparators(exeFolder));
    for (const QString& installed : installedFolders) {
        const QString bin = QDir::cleanPath(QDir::fromNativeSeparators(installed));
        if (bin.isEmpty() || bin == QStringLiteral("/"))
            continue;
        if (folder.compare(bin, kCase) == 0)
            return true;
        const QString tail = bin.startsWith(u'/') ? bin : u'/' + bin;
        if (folder.endsWith(tail, kCase))
            return true;
    }
    return false;
}

QString logBaseFolder(const QString& exeFolder, const Environment& environment, const QStringList& installedFolders)
{
    const QFileInfo exe(exeFolder);
    if (!exeFolder.isEmpty() && exe.isDir() && exe.isWritable()
        && !isInstalledProgramFolder(exeFolder, installedFolders)) {
        return util::withTrailingSeparator(exeFolder);
    }
    const QString state = userStateFolder(environment);
    if (!makeUserFolder(state)) {
        return {};
    }
    return state;
}

} // namespace vardolin::frame
