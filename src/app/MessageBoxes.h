#pragma once
// Messages for the user as modal boxes with one OK button, owned by the
// program's active window (none before the main window is up or after it is
// gone). Installed for the program's whole run.

namespace vardolin::app {

void presentMessagesInBoxes();

} // namespace vardolin::app
