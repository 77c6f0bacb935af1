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

QString effectivePattern(const QString& pattern)
{
    return util::trim(pattern).isEmpty() ? QStringLiteral("*") : pattern;
}

bool matchSteps(QStringView subject, QStringView pattern);

} // namespace

int s_MatchPattern(const QString& text, const QString& rawPattern, int ignoreCase)
{
    const QString pattern = effectivePattern(rawPattern);
    if (matchesEverything(pattern))
        return 1;
    if (ignoreCase == 1)
        return matchSteps(text.toLower(), pattern.toLower()) ? 1 : 0;
    return matchSteps(text, pattern) ? 1 : 0;
}

CaseInsensitivePattern::CaseInsensitivePattern(const QString& pattern)
    : lowered_(effectivePattern(pattern)), matchesEverything_(matchesEverything(lowered_))
{
    lowered_ = lowered_.toLower();
}

bool CaseInsensitivePattern::matches(const QString& text) const
{
    return matchesEverything_ || matchSteps(text.toLower(), lowered_);
}

namespace {

bool matchSteps(QStringView subject, QStringView pattern)
{
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
            const QStringView segment = pattern.mid(p - 1, segmentLength(pattern, p - 1));
            star = false;
            do {
                ++t;
            } while (t <= textLength && !subject.mid(t - 1).startsWith(segment));
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
    return matched;
}

} // namespace
} // namespace vardolin::batch
