#include "util/Dates.h"

#include <QTimeZone>

namespace vardolin::util {

namespace {

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// Formats from calendar fields so that both overloads share one rule.
QString formatFields(const QString& mask, QDate date, QTime time)
{
    struct Token {
        QLatin1StringView text;
        QString value;
    };
    const Token tokens[] = {
        {QLatin1StringView("%yyyy"), QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'))},
        {QLatin1StringView("%mm"), twoDigits(date.month())},
        {QLatin1StringView("%dd"), twoDigits(date.day())},
        {QLatin1StringView("%hh"), twoDigits(time.hour())},
        {QLatin1StringView("%ii"), twoDigits(time.minute())},
        {QLatin1StringView("%ss"), twoDigits(time.second())},
    };
    QString result;
    result.reserve(mask.size() + 8);
    qsizetype pos = 0;
    while (pos < mask.size()) {
        bool matched = false;
        for (const Token& token : tokens) {
            if (QStringView(mask).mid(pos).startsWith(token.text)) {
                result += token.value;
                pos += token.text.size();
                matched = true;
                break;
            }
        }
        if (!matched) {
            result += mask.at(pos);
            ++pos;
        }
    }
    return result;
}

} // namespace

qint64 dateValueOf(const QDateTime& localTime)
{
    const QDateTime local = localTime.toLocalTime();
    const QTime time = local.time();
    const QDateTime asUtc(local.date(), QTime(time.hour(), time.minute(), time.second()), QTimeZone::utc());
    return asUtc.toSecsSinceEpoch();
}

QDateTime localTimeOf(qint64 dateValue)
{
    const QDateTime asUtc = QDateTime::fromSecsSinceEpoch(dateValue, QTimeZone::utc());
    return QDateTime(asUtc.date(), asUtc.time());
}

QString formatDate(const QString& mask, qint64 dateValue)
{
    const QDateTime asUtc = QDateTime::fromSecsSinceEpoch(dateValue, QTimeZone::utc());
    return formatFields(mask, asUtc.date(), asUtc.time());
}

QString formatDate(const QString& mask, const QDateTime& localTime)
{
    return formatFields(mask, localTime.date(), localTime.time());
}

qint64 currentDate()
{
    return dateValueOf(QDateTime::currentDateTime());
}

} // namespace vardolin::util
