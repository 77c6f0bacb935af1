#include "frame/MessageBox.h"

#include <gtest/gtest.h>

using namespace vardolin::frame;

TEST(MessageText, ConvertsOnlyTheTwoEscapesWithTheirBlank)
{
    EXPECT_EQ(convertMessageText("erste\\n zweite"), "erste\r\nzweite");
    EXPECT_EQ(convertMessageText("Datei \\' a.jpg\\' fehlt"), "Datei \"a.jpg\"fehlt");
    EXPECT_EQ(convertMessageText("ende\\'"), "ende\\'");
    EXPECT_EQ(convertMessageText("C:\\neu\\n"), "C:\\neu\\n");
    EXPECT_EQ(convertMessageText(""), "");
}

TEST(MessageBox, PresenterGetsTheConvertedTextAndItsCodeIsReturned)
{
    QString seenTitle;
    QString seenText;
    setMessagePresenter([&](const QString& title, const QString& text, int flags) {
        seenTitle = title;
        seenText = text;
        return 40 + flags;
    });
    EXPECT_EQ(yInfoBox("Vardolin", "a\\n b", 2), 42);
    EXPECT_EQ(seenTitle, "Vardolin");
    EXPECT_EQ(seenText, "a\r\nb");
    setMessagePresenter({});
    EXPECT_EQ(yInfoBox("Vardolin", "", 0), 1); // standard error, OK
}
