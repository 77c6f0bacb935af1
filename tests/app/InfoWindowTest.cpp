#include "app/InfoWindow.h"
#include "app/Doku.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vardolin::app;

TEST(ZDoku, VersionAndHistoryByExactMode)
{
    EXPECT_EQ(z_Doku(QStringLiteral("V")), QStringLiteral("  V 1.07"));
    EXPECT_TRUE(z_Doku(QStringLiteral("v")).isEmpty());
    EXPECT_TRUE(z_Doku(QStringLiteral("D")).isEmpty());
    const QStringList lines = z_Doku(QStringLiteral("A")).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 10) << "nine lines, each ending in CR LF";
    EXPECT_TRUE(lines.last().isEmpty());
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("V 1.00 25.07.2007 ")));
    EXPECT_EQ(lines[3], QString(24, u' ') + QStringLiteral("Unterverzeichnis anlegen wurde immer 'komp' verwendet."));
    EXPECT_EQ(lines[8], QStringLiteral("V 1.07 10.05.2023 Programm überarbeitet"));
    int entries = 0;
    for (const QString& line : lines)
        entries += line.startsWith(QStringLiteral("V 1.0")) ? 1 : 0;
    EXPECT_EQ(entries, 8);
}

TEST(InfoText, BlocksInOrderWithEscapesTurnedIntoLineBreaks)
{
    const QString text = infoText(infoTemplate(), QStringLiteral("Vardolin"), z_Doku(QStringLiteral("A")));
    EXPECT_TRUE(
        text.startsWith(QStringLiteral("Vardolin\r\n--------\r\nProgramm zum Verkleinern von Bilddateien\r\n\r\n\r\n"
                                       "Programm-Versionen\r\n------------------\r\nV 1.00 25.07.2007 ")));
    EXPECT_FALSE(text.contains(u'{'));
    EXPECT_FALSE(text.contains(QStringLiteral("\\n")));
    const auto at = [&](const char* needle) { return text.indexOf(QString::fromUtf8(needle)); };
    EXPECT_LT(at("V 1.07 10.05.2023"), at("Kompiliert: "));
    EXPECT_LT(at("Kompiliert: "), at("Copyright"));
    EXPECT_LT(at("Copyright"), at("Ausschluß"));
    EXPECT_LT(at("Ausschluß"), at("Anregungen und Kritik\r\n"));
    EXPECT_TRUE(text.contains(QStringLiteral("the Vardolin authors")));
    EXPECT_TRUE(text.contains(QStringLiteral("MIT")));
    EXPECT_TRUE(text.contains(QStringLiteral("Es wird jedoch keine Haftung für Schäden übernommen die durch \r\n"
                                             "nicht vorhersehbaren Zustände eintreten können.\r\n\r\n\r\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("worden.\r\n \r\nEs wird")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("Nur durch Ihr Feedback kann ein Programm besser werden !\r\n\r\n\r\n")));
}

TEST(InfoText, BuildTime)
{
    const QString text = infoText(infoTemplate(), QStringLiteral("Vardolin"), QString());
    const QRegularExpression compiled(
        QStringLiteral("Kompiliert: \\d\\d\\.\\d\\d\\.\\d{4} / \\d\\d:\\d\\d:\\d\\d\r\n\r\n"));
    EXPECT_TRUE(compiled.match(text).hasMatch());
}

// The feedback box names the contact the build was configured with; without
// one it names no invented address but says where to report.
struct FeedbackCase {
    const char* contact;
    const char* invitation;
    const char* boxed;
    const char* closing;
};

class FeedbackBox : public ::testing::TestWithParam<FeedbackCase> {};

TEST_P(FeedbackBox, InvitesToTheConfiguredContactOrSaysWhereToReport)
{
    const FeedbackCase& way = GetParam();
    const QString text =
        infoText(infoTemplate(), QStringLiteral("Vardolin"), QString(), QString::fromUtf8(way.contact));
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    const qsizetype box = lines.indexOf(QRegularExpression(QStringLiteral("^  \\+-+\\+$")));
    ASSERT_GT(box, 2);
    EXPECT_EQ(lines[box - 4], QStringLiteral("Anregungen und Kritik"));
    EXPECT_EQ(lines[box - 2], QString::fromUtf8(way.invitation));
    EXPECT_TRUE(lines[box - 1].isEmpty());
    EXPECT_EQ(lines[box + 1].size(), lines[box].size()) << "the bars line up with the corners";
    EXPECT_EQ(lines[box + 1], QStringLiteral("  |  ")
                                  + QString::fromUtf8(way.boxed).leftJustified(lines[box].size() - 8)
                                  + QStringLiteral("  |"));
    EXPECT_EQ(lines[box + 2], lines[box]);
    EXPECT_TRUE(lines[box + 3].isEmpty());
    EXPECT_EQ(lines[box + 4], QString::fromUtf8(way.closing));
    EXPECT_EQ(lines[box + 6], QStringLiteral("Nur durch Ihr Feedback kann ein Programm besser werden !"));
    if (!*way.contact) {
        EXPECT_FALSE(text.contains(u'@')) << "no address that nobody reads";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contacts, FeedbackBox,
    ::testing::Values(FeedbackCase{"", "Anregungen und Kritik sind erwünscht und können an: ",
                                   "die Person oder Stelle, von der Sie das Programm haben", "gesendet werden."},
                      FeedbackCase{"fotos@vardolin.example",
                                   "Anregungen und Kritik sind erwünscht und können per eMail an: ",
                                   "fotos@vardolin.example", "gesendet werden."},
                      FeedbackCase{"https://tracker.vardolin.example/issues",
                                   "Anregungen und Kritik sind erwünscht und können auf der Seite: ",
                                   "https://tracker.vardolin.example/issues", "gemeldet werden."}));

TEST(InfoText, QuoteEscapeAndExistingLineBreaks)
{
    const QString text = infoText(QStringLiteral("a\\' b\r\nc\\n d"), QStringLiteral("X"), QString());
    EXPECT_EQ(text, QStringLiteral("a\"b\r\nc\r\nd"));
}

TEST(InfoWindowSize, SnapsToMinimumAndLaysOutPaneAndButton)
{
    InfoWindow window(QStringLiteral("Vardolin"), QStringLiteral("x"));
    window.show();
    EXPECT_EQ(window.size(), QSize(670, 386));
    EXPECT_EQ(window.pane()->geometry(), QRect(10, 10, 650, 331));
    window.resize(500, 300);
    EXPECT_EQ(window.size(), QSize(670, 386));
    window.resize(901, 600);
    EXPECT_EQ(window.pane()->geometry(), QRect(10, 10, 881, 545));
    EXPECT_EQ(window.closeButton()->geometry(), QRect(901 / 2 - 65, 565, 130, 30));
    EXPECT_TRUE(window.pane()->isReadOnly());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Vardolin"));
    EXPECT_EQ(window.closeButton()->text(), QStringLiteral("Fenster schließen"));
}

namespace {

InfoWindow* openInfoWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* info = qobject_cast<InfoWindow*>(widget); info && info->isVisible())
            return info;
    return nullptr;
}

// Runs action once the info window is up, then a fallback that closes it so a
// failing test cannot hang.
void whenOpen(std::function<void(InfoWindow&)> action)
{
    QTimer::singleShot(0, [action] {
        if (InfoWindow* info = openInfoWindow())
            action(*info);
    });
    QTimer::singleShot(5000, [] {
        if (InfoWindow* info = openInfoWindow())
            info->close();
    });
}

} // namespace

TEST(ZInfo, EscapeClosesAndTheTextIsShown)
{
    QString shown;
    whenOpen([&](InfoWindow& info) {
        shown = info.pane()->toPlainText();
        QTest::keyClick(info.pane(), Qt::Key_Escape);
    });
    QElapsedTimer clock;
    clock.start();
    z_Info();
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Vardolin\n--------\nProgramm zum Verkleinern")));
    EXPECT_EQ(openInfoWindow(), nullptr);
}

TEST(ZInfo, CloseButtonCloses)
{
    whenOpen([](InfoWindow& info) { QTest::mouseClick(info.closeButton(), Qt::LeftButton); });
    QElapsedTimer clock;
    clock.start();
    z_Info();
    EXPECT_LT(clock.elapsed(), 4000);
}

TEST(ZInfo, OtherWindowsCloseRequestClosesTheInfoWindowOnly)
{
    QMainWindow other;
    auto* field = new QLineEdit(&other);
    other.setCentralWidget(field);
    other.show();
    whenOpen([&](InfoWindow&) {
        QTest::keyClick(field, Qt::Key_A);
        other.close();
    });
    QElapsedTimer clock;
    clock.start();
    z_Info();
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_TRUE(other.isVisible()) << "the other window stays open";
    EXPECT_TRUE(field->text().isEmpty()) << "typing in the other window is dropped";
}
