// The file-name pattern matcher with random text and pattern. The input is
// split at its first zero byte: pattern before, file name after. Whatever the
// pattern, the catch-all patterns must match every name.

#include "batch/PatternMatch.h"

#include <QString>

#include <cstdlib>
#include <cstring>

using vardolin::batch::s_MatchPattern;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int ignoreCase = data[0] & 1;
    const char* begin = reinterpret_cast<const char*>(data + 1);
    const std::size_t rest = size - 1;
    const void* zero = std::memchr(begin, 0, rest);
    const std::size_t patternLength = zero ? std::size_t(static_cast<const char*>(zero) - begin) : rest;
    const QString pattern = QString::fromUtf8(begin, qsizetype(patternLength));
    const std::size_t textStart = zero ? patternLength + 1 : rest;
    const QString text = QString::fromUtf8(begin + textStart, qsizetype(rest - textStart));

    const int matched = s_MatchPattern(text, pattern, ignoreCase);
    if (matched != 0 && matched != 1)
        std::abort();
    if (s_MatchPattern(text, QStringLiteral("*"), ignoreCase) != 1)
        std::abort();
    if (s_MatchPattern(text, QStringLiteral("*.*"), ignoreCase) != 1)
        std::abort();
    // A pattern always matches itself read as a literal name when it holds no
    // wildcard and no alternative.
    if (!text.isEmpty() && pattern == text && !pattern.contains(u'*') && !pattern.contains(u'?')
        && !pattern.contains(u'|') && !pattern.trimmed().isEmpty() && s_MatchPattern(text, pattern, ignoreCase) != 1)
        std::abort();
    return 0;
}
