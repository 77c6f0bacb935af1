#include "batch/PatternMatch.h"

#include "util/Text.h"

namespace vardolin::batch {
namespace {

bool matchesEverything(const QString& pattern)
{
    return pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
}

// Length of the literal segment starting at index from: up to the next "*",
// "?" or "|", or to the end of the pattern.
qsizetype segmentLength(QStringView pattern, qsizetype from)
{
    qsizetype end = from + 1;
    while (end < pattern.size()) {
        const QChar c = pattern[end];
        if (c == u'*' || c == u'?' || c == u'|')
            break;
        ++end;
    }
    return end - from;
}

} // namespace

int s_MatchPattern(const QString& text, const QString& rawPattern, int ignoreCase)
{
    QString pattern = util::trim(rawPattern).isEmpty() ? QStringLiteral("*") : rawPattern;
    if (matchesEverything(pattern))
        return 1;
    QString subject = text;
    if (ignoreCase == 1) {
        subject = subject.toLower();
        pattern = pattern.toLower();
    }

    // Positions are kept 1-based as in the rule this follows: t is the next
    // text position, p the pattern position just read.
    const qsizetype textLength = subject.size();
    const qsizetype patternLength = pattern.size();
    qsizetype t = 1;
    qsizetype p = 0;
    bool fail = false;
    bool matched = false;
    bool star = false;

    while (p < patternLength && !matched) {
        ++p;
        const QChar ch = pattern[p - 1];
        if (ch == u'*') {
            if (p == patternLength)
                matched = true;
            else
                star = true;
        } else if (ch == u'|') {
            if (t == textLength + 1)
                matched = true;
        } else if (ch == u'?') {
            if (t <= textLength)
                ++t;
            else
                fail = true;
        } else if (star) {
            const QStringView segment = QStringView(pattern).mid(p - 1, segmentLength(pattern, p - 1));
            star = false;
            do {
                ++t;
            } while (t <= textLength && !QStringView(subject).mid(t - 1).startsWith(segment));
            if (t <= textLength)
                ++t;
            else
                fail = true;
        } else {
            if (t <= textLength && subject[t - 1] == ch)
                ++t;
            else
                fail = true;
        }

        if (!fail) {
            if (t == textLength + 1 && p == patternLength)
                matched = true;
        } else {
            const qsizetype bar = pattern.indexOf(u'|', p); // 0-based search after p
            if (bar < 0) {
                p = patternLength;
            } else {
                p = bar + 1;
                fail = false;
                star = false;
                t = 1;
            }
        }
    }
    return matched ? 1 : 0;
}

} // namespace vardolin::batch
