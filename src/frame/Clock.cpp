#include "frame/Clock.h"

#include <QElapsedTimer>

namespace vardolin::frame {

namespace {

class SystemClock final : public Clock {
public:
    SystemClock() { timer_.start(); }
    QDateTime localNow() const override { return QDateTime::currentDateTime(); }
    qint64 elapsedMs() const override { return timer_.elapsed(); }

private:
    QElapsedTimer timer_;
};

} // namespace

const Clock& systemClock()
{
    static const SystemClock clock;
    return clock;
}

} // namespace vardolin::frame
