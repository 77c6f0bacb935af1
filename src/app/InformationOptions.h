#pragma once
// The two options every installed program answers at a terminal: --help and
// --version. They are answered before the window is built, so no display is
// needed for them.

#include <optional>

namespace vardolin::app {

// When the only argument is --help or --version, prints the answer on
// standard output and returns the exit code 0; otherwise nothing happens and
// the program starts with its window.
std::optional<int> answerInformationOption(int argc, const char* const* argv);

} // namespace vardolin::app
