#pragma once
// The main window as the batch layer's host. Calls may come from the thread
// that runs a batch; each is carried out on the window's thread (a message
// waits there until the user closes it).

#include "batch/BatchHost.h"

#include <QString>

#include <atomic>
#include <functional>

namespace vardolin::app {

class MainWindow;

class WindowHost : public batch::BatchHost {
public:
    using LogWriter = std::function<void(const QString& line)>;

    WindowHost(MainWindow& window, LogWriter writeLog);

    void statusText(const QString& text) override;
    void showMessage(const QString& text) override;
    void logLine(const QString& line) override;
    QString sizeItemText() override;
    QString targetListText() override;
    void setFoundCount(qint64 count) override;
    void setTargetListItems(const QStringList& items) override;
    bool stopRequested() override;
    void progress(qint64 finished, qint64 count) override;

    void requestStop(bool stop) { stop_.store(stop); }

private:
    // Runs work on the window's thread: at once when already there, else
    // queued (blocking when the caller needs the result).
    void onWindowThread(std::function<void()> work, bool wait = false);

    MainWindow& window_;
    LogWriter writeLog_;
    std::atomic_bool stop_{false};
};

} // namespace vardolin::app
