#pragma once
// Date values and date masks.
//
// A date value is a local wall-clock time in whole seconds, counted as if that
// calendar time were UTC: 1970-01-01 00:00:00 *local* is 0. Formatting a value
// therefore needs no time zone. File times (Files.h) are not on this scale:
// they are instants, since a local time in the hour that repeats when clocks
// go back names two of them.

#include <QDateTime>
#include <QString>

namespace vardolin::util {

// The date value of a local date-time (any fraction of a second dropped).
qint64 dateValueOf(const QDateTime& localTime);

// The local date-time that a date value names.
QDateTime localTimeOf(qint64 dateValue);

// The mask with "%yyyy" (4-digit year) and "%mm", "%dd", "%hh", "%ii", "%ss"
// (month, day, hour, minute, second; two digits each) replaced; every other
// character is copied. The QDateTime overload formats the calendar fields as
// they stand (the caller hands in local time), so an injected clock formats
// exactly what it returns.
QString formatDate(const QString& mask, qint64 dateValue);
QString formatDate(const QString& mask, const QDateTime& localTime);

// The current local date and time as a date value.
qint64 currentDate();

} // namespace vardolin::util
