#include "app/SprachTexte.h"

#include <gtest/gtest.h>

using namespace vardolin::app;

TEST(SprachTexte, LanguageIsEnglishOnlyForGbInAnyCase)
{
    EXPECT_TRUE(isEnglish(QStringLiteral("GB")));
    EXPECT_TRUE(isEnglish(QStringLiteral("gB")));
    EXPECT_FALSE(isEnglish(QStringLiteral("D")));
    EXPECT_FALSE(isEnglish(QString()));
    EXPECT_FALSE(isEnglish(QStringLiteral("GBR")));
}

TEST(SprachTexte, EnglishQuitButtonDiffersFromExitMenuItem)
{
    CaptionTexts texts;
    int rebuilt = 0;
    SprachTexte(texts, QStringLiteral("#t#m"), QStringLiteral("gb"), [&](const MenuTexts& menu) {
        ++rebuilt;
        EXPECT_EQ(menu.beenden, QStringLiteral("Exit"));
    });
    EXPECT_EQ(rebuilt, 1) << "both markers in one call";
    EXPECT_EQ(texts.control[19], QStringLiteral("Quit"));
    EXPECT_EQ(texts.control[17], QStringLiteral("unchanging"));
    EXPECT_EQ(texts.control[16], QStringLiteral("Timestamp"));
    EXPECT_EQ(texts.restartNotice, QStringLiteral("Please restart the program"));
    EXPECT_EQ(texts.menu.sprache, QStringLiteral("Language"));
    EXPECT_EQ(texts.menu.deutsch, QStringLiteral("German"));
}

TEST(SprachTexte, EachMarkerFillsOnlyItsOwnTexts)
{
    CaptionTexts captions;
    SprachTexte(captions, QStringLiteral("#T"), QStringLiteral("D"));
    EXPECT_EQ(captions.control[3], QStringLiteral("Grösse")) << "German, umlauts intact";
    EXPECT_TRUE(captions.menu.datei.isEmpty()) << "#T alone leaves the menu texts";

    CaptionTexts menu;
    SprachTexte(menu, QStringLiteral("#M"), QStringLiteral("D"));
    EXPECT_TRUE(menu.control[3].isEmpty()) << "#M alone leaves the captions";
    EXPECT_EQ(menu.menu.englisch, QStringLiteral("Englisch"));
    EXPECT_EQ(menu.menu.info, QStringLiteral("Info"));
}
