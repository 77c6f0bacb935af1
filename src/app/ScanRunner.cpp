#include "app/ScanRunner.h"

#include "batch/BatchHost.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace vardolin::app {

struct ScanRunner::Running {
    quint64 generation = 0;
    std::shared_ptr<std::atomic_bool> stop = std::make_shared<std::atomic_bool>(false);
    QFutureWatcher<batch::ScanResult>* watcher = nullptr; // child of the runner
    bool finished = false;
    batch::ScanResult result; // once finished
};

ScanRunner::ScanRunner(batch::BatchHost& host, QObject* parent) : QObject(parent), host_(host) {}

ScanRunner::~ScanRunner()
{
    for (auto& scan : running_)
        scan->stop->store(true);
    for (auto& scan : running_)
        scan->watcher->waitForFinished();
}

void ScanRunner::start(const batch::ScanRequest& request)
{
    for (auto& scan : running_)
        scan->stop->store(true);
    host_.statusText(QStringLiteral("Dateien werden ermittelt, bitte warten ..."));
    auto scan = std::make_unique<Running>();
    scan->generation = ++latest_;
    scan->watcher = new QFutureWatcher<batch::ScanResult>(this);
    connect(scan->watcher, &QFutureWatcherBase::finished, this,
            [this, generation = scan->generation] { finish(generation); });
    scan->watcher->setFuture(
        QtConcurrent::run([request, stop = scan->stop] { return batch::scanSources(request, stop.get()); }));
    running_.push_back(std::move(scan));
}

// Every scan that ran writes its block to the run log, in the order the
// scans started; only the newest one's result is shown, unless it was stopped.
void ScanRunner::finish(quint64 generation)
{
    const auto found = std::find_if(running_.begin(), running_.end(),
                                    [generation](const auto& scan) { return scan->generation == generation; });
    if (found == running_.end() || (*found)->finished)
        return;
    Running& scan = **found;
    scan.watcher->disconnect(this);
    scan.finished = true;
    scan.result = scan.watcher->result();
    const bool show = generation == latest_ && !scan.result.stopped;
    if (show)
        batch::showScanResult(scan.result, host_);
    while (!running_.empty() && running_.front()->finished) {
        batch::logScanResult(running_.front()->result, host_);
        running_.front()->watcher->deleteLater();
        running_.pop_front();
    }
    if (show)
        emit shown();
}

void ScanRunner::waitForAll()
{
    while (!running_.empty()) {
        running_.front()->watcher->waitForFinished();
        finish(running_.front()->generation);
    }
}

} // namespace vardolin::app
