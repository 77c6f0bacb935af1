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

TEST(SprachTexte, GermanCaptionsAndNotice)
{
    CaptionTexts texts;
    SprachTexte(texts, QStringLiteral("#T"), QStringLiteral("D"));
    EXPECT_EQ(texts.control[3], QStringLiteral("Grösse"));
    EXPECT_EQ(texts.control[19], QStringLiteral("Programm beenden"));
    EXPECT_EQ(texts.control[25], QStringLiteral("Dateiauswahl (z.B. '*.jpg')"));
    EXPECT_EQ(texts.control[30], QStringLiteral("Unterordner vom Quellverzeichnis übernehmen"));
    EXPECT_EQ(texts.restartNotice, QStringLiteral("Bitte starten Sie das Programm neu !"));
    EXPECT_TRUE(texts.control[0].isEmpty());
    EXPECT_TRUE(texts.menu.datei.isEmpty()) << "#T alone leaves the menu texts";
    int captioned = 0;
    for (const QString& caption : texts.control)
        captioned += caption.isEmpty() ? 0 : 1;
    EXPECT_EQ(captioned, 23);
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

TEST(SprachTexte, MenuMarkerAloneKeepsCaptions)
{
    CaptionTexts texts;
    SprachTexte(texts, QStringLiteral("#M"), QStringLiteral("D"));
    EXPECT_TRUE(texts.control[3].isEmpty());
    EXPECT_EQ(texts.menu.englisch, QStringLiteral("Englisch"));
    EXPECT_EQ(texts.menu.info, QStringLiteral("Info"));
}
