#pragma once
// Which folder holds the settings file, the two list files and debug.ini.
// They belong in the folder the program starts in, which on Windows is the
// one its shortcut names. A desktop menu here starts it in the home folder,
// whose root is no place for a program's files, so that folder is the
// working folder only when it holds a settings file (started from a terminal
// there, a portable copy, every test that sets one up); otherwise it is the
// user's configuration folder, $XDG_CONFIG_HOME/vardolin/.

#include "frame/Environment.h"

#include <QString>

namespace vardolin::frame {

struct SettingsFolder {
    QString folder;            // separator-terminated
    bool isUserConfig = false; // the per-user configuration folder, not the working folder
};

// workingFolder with or without a trailing separator. Nothing is made: the
// configuration folder may not exist yet (makeUserFolder makes it). Without
// a home in the environment, and on Windows, the working folder.
SettingsFolder settingsFolderFor(const QString& workingFolder, const Environment& environment);

} // namespace vardolin::frame
