#include "batch/PatternMatch.h"

#include <gtest/gtest.h>

using vardolin::batch::s_MatchPattern;

namespace {

bool matches(const char* text, const char* pattern)
{
    return s_MatchPattern(QString::fromUtf8(text), QString::fromUtf8(pattern), 1) == 1;
}

TEST(PatternMatch, StarExtensionTakesTheFirstOccurrenceAfterOneCharacter)
{
    EXPECT_TRUE(matches("IMG_1.JPG", "*.jpg"));
    EXPECT_FALSE(matches(".jpg", "*.jpg"));
    EXPECT_FALSE(matches("a.jpg.jpg", "*.jpg"));
    EXPECT_FALSE(matches("!k_IMG_01.jpg.JPG", "*.jpg"));
    EXPECT_TRUE(matches("IMG_01_k!.JPG", "*.jpg"));
    EXPECT_FALSE(matches("a.jpgx", "*.jpg"));
}

TEST(PatternMatch, EmptyBlankAndAllPatternsMatchEverything)
{
    EXPECT_TRUE(matches("anything", ""));
    EXPECT_TRUE(matches("anything", "   "));
    EXPECT_TRUE(matches("anything", "*"));
    EXPECT_TRUE(matches("no-dot", "*.*"));
}

TEST(PatternMatch, QuestionMarksAndAlternatives)
{
    EXPECT_TRUE(matches("IMG1.jpg", "IMG?.jpg|DSC?.jpg"));
    EXPECT_TRUE(matches("DSC2.jpg", "IMG?.jpg|DSC?.jpg"));
    EXPECT_FALSE(matches("DSC22.jpg", "IMG?.jpg|DSC?.jpg"));
    EXPECT_FALSE(matches("IMG.jpg", "IMG?.jpg"));
    EXPECT_TRUE(matches("abc", "???"));
    EXPECT_FALSE(matches("ab", "???"));
}

TEST(PatternMatch, BarEndsTheLiteralAfterAStar)
{
    EXPECT_TRUE(matches("a.jpg", "*.jpg|*.png"));
    EXPECT_TRUE(matches("b.PNG", "*.jpg|*.png"));
    EXPECT_FALSE(matches("c.gif", "*.jpg|*.png"));
}

TEST(PatternMatch, ExcludePatternOnFullPaths)
{
    EXPECT_TRUE(matches("/home/u/Fotos/NoPic/a.jpg", "*NoPic*.jpg"));
    EXPECT_TRUE(matches("/home/u/Fotos/NoPic1.jpg", "*NoPic*.jpg"));
    EXPECT_TRUE(matches("C:\\Fotos\\NoPic1.jpg", "*NoPic*.jpg"));
    EXPECT_FALSE(matches("/home/u/Fotos/NoPic.jpg", "*NoPic*.jpg"));
    EXPECT_FALSE(matches("NoPic1.jpg", "*NoPic*.jpg"));
}

TEST(PatternMatch, CaseCountsOnlyWhenAsked)
{
    EXPECT_EQ(s_MatchPattern(QStringLiteral("A.JPG"), QStringLiteral("a.jpg"), 0), 0);
    EXPECT_EQ(s_MatchPattern(QStringLiteral("A.JPG"), QStringLiteral("a.jpg"), 1), 1);
    EXPECT_EQ(s_MatchPattern(QStringLiteral("ÄRGER.jpg"), QStringLiteral("ärger.jpg"), 1), 1);
}

} // namespace
