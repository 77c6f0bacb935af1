#pragma once
// The program's main sequence: bring the process up, read the settings, open
// the run log, take the command-line argument, run the main window until the
// user quits, write the settings back and end with exit code 0.

#include "frame/Settings.h"

#include <QString>

namespace vardolin::app {

int runProgram(int argc, char** argv);

// A stored source folder that does not name an existing folder (the empty
// text included) is replaced by the working folder.
void checkSourceFolder(Settings& settings, const QString& workingFolder);

// A non-empty argument gives the source folder (up to and including the last
// separator) and the include pattern (the rest).
void applyCommandLineArgument(Settings& settings, const QString& argument);

} // namespace vardolin::app
