#pragma once
// Runs source scans off the window's thread so that a large tree does not
// freeze the window. A newer scan supersedes an older one: the older one is
// told to stop and its result is not shown, but it still writes its block to
// the run log (its count marked as cut short when the stop ended its walk).
// The blocks reach the log in the order the scans started; the latest result
// is shown through the host on the window's thread.

#include "batch/SourceScan.h"

#include <QObject>

#include <list>
#include <memory>

namespace vardolin::batch {
class BatchHost;
}

namespace vardolin::app {

class ScanRunner : public QObject {
    Q_OBJECT
public:
    explicit ScanRunner(batch::BatchHost& host, QObject* parent = nullptr);
    ~ScanRunner() override;
    ScanRunner(const ScanRunner&) = delete;
    ScanRunner& operator=(const ScanRunner&) = delete;

    void start(const batch::ScanRequest& request);
    bool busy() const { return !running_.empty(); }
    // Blocks until no scan is left running (program end, tests).
    void waitForAll();

signals:
    // The latest scan's result has been shown.
    void shown();

private:
    struct Running;
    void finish(quint64 generation);

    batch::BatchHost& host_;
    std::list<std::unique_ptr<Running>> running_;
    quint64 latest_ = 0;
};

} // namespace vardolin::app
