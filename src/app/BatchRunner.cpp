#include "app/BatchRunner.h"

#include "app/WindowHost.h"

#include <QCoreApplication>
#include <QtConcurrent/QtConcurrentRun>

namespace vardolin::app {

BatchRunner::BatchRunner(WindowHost& host, QObject* parent) : QObject(parent), host_(host)
{
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] {
        report_ = watcher_.result();
        active_ = false;
        emit ended();
    });
}

BatchRunner::~BatchRunner()
{
    // A run still going (only when the program is torn down early) may wait
    // for the window's thread to show a message: keep serving it meanwhile.
    host_.requestStop(true);
    while (active_ && !watcher_.isFinished())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    watcher_.waitForFinished();
}

void BatchRunner::start(const Settings& settings)
{
    if (active_)
        return;
    active_ = true;
    host_.requestStop(false);
    watcher_.setFuture(
        QtConcurrent::run([settings, host = &host_] { return batch::BilderVerarbeiten(settings, *host); }));
}

void BatchRunner::requestStop()
{
    if (active_)
        host_.requestStop(true);
}

} // namespace vardolin::app
