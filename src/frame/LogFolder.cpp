#include "frame/LogFolder.h"

#include "util/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace vardolin::frame {

QString userStateFolder(const Environment& environment)
{
#ifdef Q_OS_WIN
    const QString base = environment.variable(QStringLiteral("LOCALAPPDATA"));
    return base.isEmpty() ? QString() : util::withTrailingSeparator(base) + "Vardolin\\";
#else
    QString base = environment.variable(QStringLiteral("XDG_STATE_HOME"));
    if (base.isEmpty()) {
        const QString home = environment.variable(QStringLiteral("HOME"));
        if (home.isEmpty()) {
            return {};
        }
        base = util::withTrailingSeparator(home) + QStringLiteral(".local/state");
    }
    return util::withTrailingSeparator(base) + QStringLiteral("vardolin/");
#endif
}

QString logBaseFolder(const QString& exeFolder, const Environment& environment)
{
    const QFileInfo exe(exeFolder);
    if (!exeFolder.isEmpty() && exe.isDir() && exe.isWritable()) {
        return util::withTrailingSeparator(exeFolder);
    }
    const QString state = userStateFolder(environment);
    if (state.isEmpty() || !QDir().mkpath(state)) {
        return {};
    }
    return state;
}

} // namespace vardolin::frame
