#pragma once
// Where the program's own files (run log, debug folder) go: beside the
// executable when that folder can be written, else the per-user state folder.

#include "frame/Environment.h"

#include <QString>

namespace vardolin::frame {

// The per-user state folder, separator-terminated: $XDG_STATE_HOME/vardolin/
// or $HOME/.local/state/vardolin/ (%LOCALAPPDATA%\Vardolin\ on Windows).
// Empty when neither variable is set.
QString userStateFolder(const Environment& environment);

// exeFolder when it is an existing, writable folder; otherwise the per-user
// state folder, created when missing. Separator-terminated; empty when no
// folder can be had.
QString logBaseFolder(const QString& exeFolder, const Environment& environment);

} // namespace vardolin::frame
