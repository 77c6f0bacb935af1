#include "frame/UserFolders.h"

#include "util/Files.h"
#include "util/Paths.h"

#include <QDir>

#ifdef Q_OS_UNIX
#include "util/FileNames.h"

#include <sys/stat.h>
#endif

namespace vardolin::frame {

namespace {

QString home(const Environment& environment)
{
#ifdef Q_OS_WIN
    return environment.variable(QStringLiteral("USERPROFILE"));
#else
    return environment.variable(QStringLiteral("HOME"));
#endif
}

// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder. Separator-terminated; empty without either.
QString xdgBase(const Environment& environment, const char* variable, const QString& belowHome)
{
    const QString value = environment.variable(QString::fromLatin1(variable));
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return util::withTrailingSeparator(value);
    const QString homeFolder = home(environment);
    return homeFolder.isEmpty() ? QString() : util::withTrailingSeparator(homeFolder) + belowHome + util::separator();
}

QString below(const QString& base, const QString& name)
{
    return base.isEmpty() ? QString() : base + name + util::separator();
}

// The value user-dirs.dirs gives a folder, read as the shell that sources it
// would: the last assignment wins, "$HOME/" at its start is the home folder,
// anything else must be an absolute path. Empty when the file names none.
QString userDirsValue(const Environment& environment, const QString& key)
{
    const auto lines = util::readTextLines(userConfigBase(environment) + QStringLiteral("user-dirs.dirs"));
    if (!lines)
        return {};
    QString found;
    const QString start = key + QStringLiteral("=\"");
    for (const QString& line : *lines) {
        const QString trimmed = line.trimmed();
        if (!trimmed.startsWith(start) || !trimmed.endsWith(u'"') || trimmed.size() <= start.size())
            continue;
        QString value = trimmed.mid(start.size(), trimmed.size() - start.size() - 1);
        if (value.startsWith(QStringLiteral("$HOME/")))
            value = util::withTrailingSeparator(home(environment)) + value.mid(6);
        else if (value == QStringLiteral("$HOME"))
            value = home(environment);
        if (QDir::isAbsolutePath(value))
            found = value;
    }
    return found;
}

} // namespace

QString userConfigBase(const Environment& environment)
{
#ifdef Q_OS_WIN
    const QString appData = environment.variable(QStringLiteral("APPDATA"));
    return appData.isEmpty() ? QString() : util::withTrailingSeparator(appData);
#else
    return xdgBase(environment, "XDG_CONFIG_HOME", QStringLiteral(".config"));
#endif
}

QString userConfigFolder(const Environment& environment)
{
#ifdef Q_OS_WIN
    return below(userConfigBase(environment), QStringLiteral("Vardolin"));
#else
    return below(userConfigBase(environment), QStringLiteral("vardolin"));
#endif
}

QString userStateFolder(const Environment& environment)
{
#ifdef Q_OS_WIN
    const QString base = environment.variable(QStringLiteral("LOCALAPPDATA"));
    return base.isEmpty() ? QString() : util::withTrailingSeparator(base) + QStringLiteral("Vardolin\\");
#else
    return below(xdgBase(environment, "XDG_STATE_HOME", QStringLiteral(".local/state")), QStringLiteral("vardolin"));
#endif
}

QString picturesFolder(const Environment& environment)
{
    QString pictures = userDirsValue(environment, QStringLiteral("XDG_PICTURES_DIR"));
    if (pictures.isEmpty())
        pictures = environment.variable(QStringLiteral("XDG_PICTURES_DIR"));
    if (!pictures.isEmpty() && util::isFolder(pictures))
        return util::withTrailingSeparator(pictures);
    return util::withTrailingSeparator(home(environment));
}

bool makeUserFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    if (util::isFolder(folder))
        return true;
#ifdef Q_OS_UNIX
    const QString above = util::folderOf(util::withoutTrailingSeparators(folder));
    if (!above.isEmpty() && !makeUserFolder(above))
        return false;
    ::mkdir(util::fileNameFromText(util::withoutTrailingSeparators(folder)).constData(), 0700);
    return util::isFolder(folder); // also when another process made it meanwhile
#else
    return QDir().mkpath(folder);
#endif
}

} // namespace vardolin::frame
