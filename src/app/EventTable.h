#pragma once
// What each event of the main window does: one dispatch from (control or
// menu item, event kind) to action, plus the start-up steps that put the lists
// and the settings into the controls. Start, New folder, Quit and the scans
// are written out here; every other control stores its settings field as the
// control table (ControlTable.h) says, and every copy choice of the Extra
// menu as its table (MenuItems.h) says. The batch run and the scans work off
// the window's thread.

#include "app/BatchRunner.h"
#include "app/ScanRunner.h"
#include "app/WindowHost.h"
#include "frame/Settings.h"

#include <QObject>
#include <QTimer>

namespace vardolin::app {

class MainWindow;
struct Control;
struct CopyMenuItem;

// Event types of a control event. A text field's change (one per keystroke)
// keeps the number the scan knows; the others only need to differ from it.
namespace eventtype {
inline constexpr qint64 Click = 0;
inline constexpr qint64 Choice = 1;
inline constexpr qint64 Return = 2;
inline constexpr qint64 FocusIn = 256;
inline constexpr qint64 FocusOut = 512;
inline constexpr qint64 Change = 768;
} // namespace eventtype

// The pattern fields rescan this long after the last keystroke.
inline constexpr int rescanDelayMs = 500;

class EventTable : public QObject {
    Q_OBJECT
public:
    enum class Kind { Control, Menu, CloseRequest };

    EventTable(MainWindow& window, Settings& settings, WindowHost::LogWriter writeLog);
    ~EventTable() override;

    // Start-up: fill the size and quality lists from the working folder's
    // list files, then put the settings into the controls.
    void fillLists(const QString& workingFolder);
    void settingsIntoControls();

    void dispatch(Kind kind, int number, qint64 type = eventtype::Click);

    ScanRunner& scans() { return scans_; }
    BatchRunner& run() { return run_; }
    WindowHost& host() { return host_; }

signals:
    // The event loop ends: quit button, menu item 0 or close box.
    void loopEnds();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    void connectControl(const Control& row);
    void connectPatternField(int number);
    void controlEvent(int number, qint64 type);
    void store(const Control& row);
    void menuEvent(int number);
    void copyChoice(const CopyMenuItem& item);
    void closeRequest();

    void aktionQuelle(qint64 eventType);
    void bilderVerarbeiten();
    void anlegenNeuerOrdner();
    void languageChosen(const QString& sprache);
    void showRunning(bool running);

    MainWindow& window_;
    Settings& settings_;
    WindowHost host_;
    ScanRunner scans_;
    BatchRunner run_;
    QTimer pendingRescan_;
};

} // namespace vardolin::app
