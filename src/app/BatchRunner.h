#pragma once
// Runs the batch of the "Start" button on a thread of its own, so that the
// window keeps repainting and its quit button can stop the run.

#include "batch/BatchRun.h"
#include "frame/Settings.h"

#include <QFutureWatcher>
#include <QObject>

namespace vardolin::app {

class WindowHost;

class BatchRunner : public QObject {
    Q_OBJECT
public:
    explicit BatchRunner(WindowHost& host, QObject* parent = nullptr);
    ~BatchRunner() override;
    BatchRunner(const BatchRunner&) = delete;
    BatchRunner& operator=(const BatchRunner&) = delete;

    // The run works on a copy of the settings as they are now.
    void start(const Settings& settings);
    bool active() const { return active_; }
    // The files in progress are finished; no new file is started.
    void requestStop();
    batch::RunReport lastReport() const { return report_; }

signals:
    void ended();

private:
    WindowHost& host_;
    QFutureWatcher<batch::RunReport> watcher_;
    batch::RunReport report_;
    bool active_ = false;
};

} // namespace vardolin::app
