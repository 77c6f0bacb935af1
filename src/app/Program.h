#pragma once
// The program's main sequence: bring the process up, read the settings, open
// the run log, take the command-line argument, run the main window until the
// user quits, write the settings back and end with exit code 0.

namespace vardolin::app {

int runProgram(int argc, char** argv);

} // namespace vardolin::app
