#include "util/Text.h"
#include "util/Dates.h"

#include <gtest/gtest.h>

#include <QDateTime>

using namespace vardolin::util;

TEST(Text, PositionsCountFromOneAndClampAtTheEdges)
{
    EXPECT_EQ(mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(mid("abcdef", 4), "def");
    EXPECT_EQ(mid("abcdef", 7), "");
    EXPECT_EQ(mid("abcdef", 0, 2), "ab");
    EXPECT_EQ(left("abc", 5), "abc");
    EXPECT_EQ(left("abc", 0), "");
    EXPECT_EQ(right("abc", 2), "bc");
    EXPECT_EQ(right("abc", -1), "");
    EXPECT_EQ(blanks(3), "   ");
    EXPECT_EQ(blanks(0), "");
}

TEST(Text, TrimRemovesBlanksOnlyAndCaseCoversUmlauts)
{
    EXPECT_EQ(trim("  a b \t "), "a b \t");
    EXPECT_EQ(upperCase(QString::fromUtf8("grün")), QString::fromUtf8("GRÜN"));
    EXPECT_EQ(lowerCase(QString::fromUtf8("ÄÖ")), QString::fromUtf8("äö"));
}

TEST(Text, NumberTexts)
{
    EXPECT_EQ(decimalText(-42), "-42");
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexText(255), "FF");
    EXPECT_EQ(hexText(-1), "FFFFFFFFFFFFFFFF");
}

TEST(Text, IntegerValueReadsSignsHexBinaryAndStopsAtJunk)
{
    EXPECT_EQ(integerValue(" -$1F"), -31);
    EXPECT_EQ(integerValue("$1f"), 31);
    EXPECT_EQ(integerValue("%101"), 5);
    EXPECT_EQ(integerValue("12abc"), 12);
    EXPECT_EQ(integerValue("abc"), 0);
    EXPECT_EQ(integerValue(""), 0);
    EXPECT_EQ(integerValue("\t +7"), 7);
    EXPECT_EQ(integerValue("%102"), 2);
    EXPECT_EQ(integerValue("$"), 0);
    EXPECT_EQ(integerValue("- 5"), 0);
    EXPECT_EQ(integerValue("03"), 3);
    // Far too many digits wrap instead of tripping over signed overflow.
    EXPECT_NO_FATAL_FAILURE(integerValue("99999999999999999999999999"));
}

TEST(Text, FindAndCount)
{
    EXPECT_EQ(find("abcabc", "bc"), 2);
    EXPECT_EQ(find("abcabc", "bc", 3), 5);
    EXPECT_EQ(find("abcabc", "bc", -4), 2);
    EXPECT_EQ(find("abcabc", "bc", 99), 0);
    EXPECT_EQ(find("abc", ""), 0);
    EXPECT_EQ(find("", "a"), 0);
    EXPECT_EQ(find("abc", "x"), 0);
    EXPECT_EQ(count("aaaa", "aa"), 2);
    EXPECT_EQ(count("a/b/c", "/"), 2);
    EXPECT_EQ(count("abc", ""), 0);
}

TEST(Text, FieldCutsAtEveryDelimiter)
{
    EXPECT_EQ(field("/F:*.* /S:Y", 2, "/"), "F:*.* ");
    EXPECT_EQ(field("/F:*.* /S:Y", 1, "/"), "");
    EXPECT_EQ(field("/F:*.* /S:Y", 3, "/"), "S:Y");
    EXPECT_EQ(field("/F:*.* /S:Y", 5, "/"), "");
    EXPECT_EQ(field("a<>b<>c", 2, "<>"), "b");
    EXPECT_EQ(field("a,b", 0, ","), "");
    EXPECT_EQ(field("800,600", 2, ","), "600");
}

TEST(Text, ReplaceAndPad)
{
    EXPECT_EQ(replace("a\\n b", "\\n ", "\r\n"), "a\r\nb");
    EXPECT_EQ(replace("abc", "", "x"), "abc");
    const QString banner = padRight("--- Start ", 165, u'-');
    EXPECT_EQ(banner.size(), 165);
    EXPECT_TRUE(banner.startsWith("--- Start ---"));
    const QString name25 = "ABCDEFGHIJKLMNOPQRSTUVWXY";
    EXPECT_EQ(padRight(name25, 20), name25.left(20));
    EXPECT_EQ(padLeft(name25, 20), name25.left(20));
    EXPECT_EQ(padLeft("7", 3, u'0'), "007");
    EXPECT_EQ(padRight("ab", 4), "ab  ");
    EXPECT_EQ(padRight("ab", 0), "");
}

TEST(Dates, MasksAndTheValueScaleAgree)
{
    const QDateTime local(QDate(2024, 3, 1), QTime(9, 5, 0));
    EXPECT_EQ(formatDate("%yyyy-%mm-%dd-%hh:%ii:%ss", local), "2024-03-01-09:05:00");
    const qint64 value = dateValueOf(local);
    EXPECT_EQ(formatDate("%yyyy%mm%dd%hh%ii%ss", value), "20240301090500");
    EXPECT_EQ(formatDate("%yyyy-%mm-%dd  %hh:%ii:%ss", value), "2024-03-01  09:05:00");
    EXPECT_EQ(localTimeOf(value), local);
    EXPECT_EQ(formatDate("100% %x %m", value), "100% %x %m");
    EXPECT_EQ(formatDate("%yyyy", dateValueOf(QDateTime(QDate(812, 1, 2), QTime(0, 0)))), "0812");
}
