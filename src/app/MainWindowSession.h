#pragma once
// The main window's life: MainWindowSession sets it up (captions in the
// chosen language, the window, its lists and the settings in its controls);
// HauptFenster runs its event loop until the user quits, then writes the
// settings and closes the run log.

#include "app/EventTable.h"
#include "app/MainWindow.h"
#include "app/SprachTexte.h"
#include "frame/FrameContext.h"
#include "frame/RunLog.h"
#include "frame/Settings.h"

namespace vardolin::app {

// The window as HauptFenster sets it up before its event loop: captions and
// menu in the chosen language, the title, the size and quality lists, and the
// settings in the controls.
class MainWindowSession {
public:
    MainWindowSession(Settings& settings, const frame::FrameContext& context, frame::RunLog& log);
    ~MainWindowSession();
    MainWindowSession(const MainWindowSession&) = delete;
    MainWindowSession& operator=(const MainWindowSession&) = delete;

    MainWindow& window() { return window_; }
    EventTable& events() { return *events_; }

private:
    CaptionTexts texts_;
    MainWindow window_;
    std::unique_ptr<EventTable> events_;
};

// Returns when the user has quit by the quit button, menu item 0 or the
// close box.
void HauptFenster(Settings& settings, const frame::FrameContext& context, frame::RunLog& log);

} // namespace vardolin::app
