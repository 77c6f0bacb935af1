#include "frame/SettingsFolder.h"

#include "frame/IniDatei.h"
#include "frame/UserFolders.h"
#include "util/Files.h"
#include "util/Paths.h"

namespace vardolin::frame {

SettingsFolder settingsFolderFor(const QString& workingFolder, const Environment& environment)
{
    const QString working = util::withTrailingSeparator(workingFolder);
#ifndef Q_OS_WIN
    if (util::sizeTest(working + settingsFileName()) < 0) {
        const QString config = userConfigFolder(environment);
        if (!config.isEmpty())
            return {config, true};
    }
#else
    Q_UNUSED(environment);
#endif
    return {working, false};
}

} // namespace vardolin::frame
