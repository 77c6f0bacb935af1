#include "util/Text.h"

#include <optional>

namespace vardolin::util {

QString blanks(int n)
{
    return n < 1 ? QString() : QString(n, u' ');
}

QString mid(const QString& text, int start, int length)
{
    const int from = start < 1 ? 0 : start - 1;
    if (from >= text.size() || length == 0) {
        return {};
    }
    return length < 0 ? text.mid(from) : text.mid(from, length);
}

QString left(const QString& text, int n)
{
    return n < 1 ? QString() : text.left(n);
}

QString right(const QString& text, int n)
{
    return n < 1 ? QString() : text.right(n);
}

QString trim(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ') {
        ++first;
    }
    while (last > first && text.at(last - 1) == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

QString upperCase(const QString& text)
{
    return text.toUpper();
}

QString lowerCase(const QString& text)
{
    return text.toLower();
}

QString decimalText(qint64 value)
{
    return QString::number(value);
}

QString hexText(qint64 value)
{
    return QString::number(static_cast<quint64>(value), 16).toUpper();
}

namespace {

std::optional<int> digitValue(QChar c, int base)
{
    int value = -1;
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        value = u - u'0';
    } else if (u >= u'a' && u <= u'f') {
        value = u - u'a' + 10;
    } else if (u >= u'A' && u <= u'F') {
        value = u - u'A' + 10;
    }
    if (value < 0 || value >= base) {
        return std::nullopt;
    }
    return value;
}

} // namespace

qint64 integerValue(const QString& text)
{
    qsizetype pos = 0;
    while (pos < text.size() && (text.at(pos) == u' ' || text.at(pos) == u'\t')) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text.at(pos) == u'-' || text.at(pos) == u'+')) {
        negative = text.at(pos) == u'-';
        ++pos;
    }
    int base = 10;
    if (pos < text.size() && text.at(pos) == u'$') {
        base = 16;
        ++pos;
    } else if (pos < text.size() && text.at(pos) == u'%') {
        base = 2;
        ++pos;
    }
    // Unsigned arithmetic so that an overlong number wraps instead of
    // overflowing a signed value.
    quint64 value = 0;
    for (; pos < text.size(); ++pos) {
        const auto digit = digitValue(text.at(pos), base);
        if (!digit) {
            break;
        }
        value = value * static_cast<quint64>(base) + static_cast<quint64>(*digit);
    }
    if (negative) {
        value = ~value + 1;
    }
    return static_cast<qint64>(value);
}

int find(const QString& text, const QString& pattern, int start)
{
    if (text.isEmpty() || pattern.isEmpty()) {
        return 0;
    }
    const qsizetype from = start < 1 ? 0 : start - 1;
    if (from >= text.size()) {
        return 0;
    }
    const qsizetype at = text.indexOf(pattern, from);
    return at < 0 ? 0 : static_cast<int>(at + 1);
}

int count(const QString& text, const QString& pattern)
{
    if (pattern.isEmpty()) {
        return 0;
    }
    int found = 0;
    for (qsizetype at = text.indexOf(pattern); at >= 0; at = text.indexOf(pattern, at + pattern.size())) {
        ++found;
    }
    return found;
}

QString field(const QString& text, int index, const QString& delimiter)
{
    if (index < 1) {
        return {};
    }
    if (delimiter.isEmpty()) {
        return index == 1 ? text : QString();
    }
    qsizetype begin = 0;
    for (int piece = 1; piece < index; ++piece) {
        const qsizetype at = text.indexOf(delimiter, begin);
        if (at < 0) {
            return {};
        }
        begin = at + delimiter.size();
    }
    const qsizetype end = text.indexOf(delimiter, begin);
    return end < 0 ? text.mid(begin) : text.mid(begin, end - begin);
}

QString replace(const QString& text, const QString& find, const QString& replacement)
{
    if (find.isEmpty()) {
        return text;
    }
    QString result = text;
    return result.replace(find, replacement);
}

QString padRight(const QString& text, int width, QChar fill)
{
    if (width < 1) {
        return {};
    }
    if (text.size() >= width) {
        return text.left(width);
    }
    return text + QString(width - text.size(), fill);
}

QString padLeft(const QString& text, int width, QChar fill)
{
    if (width < 1) {
        return {};
    }
    if (text.size() >= width) {
        return text.left(width);
    }
    return QString(width - text.size(), fill) + text;
}

} // namespace vardolin::util
