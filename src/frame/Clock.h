#pragma once
// The frame's view of time: local date-time for stamps and banners, and an
// elapsed-time clock in milliseconds for the debug file's periodic reopen.
// Tests hand in a clock they control.

#include <QDateTime>

namespace vardolin::frame {

class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime localNow() const = 0;
    virtual qint64 elapsedMs() const = 0;
};

// The machine's clock; elapsed time counts from the first use in this process.
const Clock& systemClock();

} // namespace vardolin::frame
