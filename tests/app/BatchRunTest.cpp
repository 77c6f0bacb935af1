#include "Session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::app;
using namespace vardolin::app::testing;

namespace {

bool waitForRunEnd(EventTable& events)
{
    return QTest::qWaitFor([&] { return !events.run().active(); }, 20000);
}

} // namespace

TEST(BatchFromStart, ConvertsTheFolderAndReportsInTheStatusLine)
{
    Session s;
    s.picture(QStringLiteral("a.jpg"), 400, 300);
    s.picture(QStringLiteral("b.jpg"), 300, 400);
    s.settings.QuellVerz = s.folder();
    MainWindow& w = s.open();
    w.show();
    QTest::mouseClick(w.controlAs<QPushButton>(15), Qt::LeftButton);
    EXPECT_TRUE(s.events().run().active());
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Abbrechen"));
    EXPECT_TRUE(w.control(19)->isEnabled());
    for (int number : {0, 1, 2, 7, 11, 15, 20, 26, 29, 31, 33})
        EXPECT_FALSE(w.control(number)->isEnabled()) << number;
    EXPECT_FALSE(w.menuBar()->isEnabled());
    EXPECT_TRUE(w.progressBar()->isVisible());
    ASSERT_TRUE(waitForRunEnd(s.events()));
    EXPECT_EQ(w.statusLine(), QStringLiteral("2 Dateien kopiert !"));
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Programm beenden"));
    EXPECT_TRUE(w.control(15)->isEnabled());
    EXPECT_TRUE(w.menuBar()->isEnabled());
    EXPECT_FALSE(w.progressBar()->isVisible());
    const QImage copy(s.path(QStringLiteral("!k_a.jpg.JPG")));
    EXPECT_EQ(copy.size(), QSize(400, 300)) << "size entry 1-400,300: the short side becomes 300";
    EXPECT_EQ(QImage(s.path(QStringLiteral("!k_b.jpg.JPG"))).size(), QSize(300, 400));
}

TEST(BatchFromStart, EmptyListReportsZero)
{
    Session s;
    s.settings.QuellVerz = s.folder();
    MainWindow& w = s.open();
    QTest::mouseClick(w.controlAs<QPushButton>(15), Qt::LeftButton);
    ASSERT_TRUE(waitForRunEnd(s.events()));
    EXPECT_EQ(w.statusLine(), QStringLiteral("0 Dateien kopiert !"));
}

// A run that ends with a message box does not leave the status line
// promising the file list.
TEST(BatchFromStart, RunThatCannotStartSaysSoInTheStatusLine)
{
    Session s;
    s.picture(QStringLiteral("a.jpg"), 40, 30);
    ASSERT_TRUE(QFile(s.path(QStringLiteral("komp"))).open(QIODevice::WriteOnly));
    s.settings.QuellVerz = s.folder();
    s.settings.AusgabeOrdner = QStringLiteral("3");
    MainWindow& w = s.open();
    QTest::mouseClick(w.controlAs<QPushButton>(15), Qt::LeftButton);
    ASSERT_TRUE(waitForRunEnd(s.events()));
    ASSERT_EQ(s.messages.size(), 1u);
    EXPECT_EQ(w.statusLine(), QStringLiteral("Nicht gestartet: Unterverzeichnis konnte nicht angelegt werden !"));
}

TEST(BatchFromStart, EnglishQuitButtonReadsStopDuringTheRun)
{
    Session s;
    s.picture(QStringLiteral("a.jpg"));
    s.settings.QuellVerz = s.folder();
    s.settings.Sprache = QStringLiteral("GB");
    MainWindow& w = s.open();
    QTest::mouseClick(w.controlAs<QPushButton>(15), Qt::LeftButton);
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Stop"));
    ASSERT_TRUE(waitForRunEnd(s.events()));
    EXPECT_EQ(w.controlAs<QPushButton>(19)->text(), QStringLiteral("Quit"));
}

class StopRun : public ::testing::TestWithParam<bool> {};

// The quit button and the close box stop a run; neither ends the program.
TEST_P(StopRun, StopsAfterTheFilesInProgress)
{
    Session s;
    for (int i = 0; i < 120; ++i)
        s.picture(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0')), 1200, 900);
    s.settings.QuellVerz = s.folder();
    s.settings.Bildgroesse = QStringLiteral("010");
    MainWindow& w = s.open();
    w.show();
    QSignalSpy ends(&s.events(), &EventTable::loopEnds);
    QTest::mouseClick(w.controlAs<QPushButton>(15), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.statusLine().startsWith(QStringLiteral("Kopiere ")); }, 10000));
    if (GetParam())
        QTest::mouseClick(w.controlAs<QPushButton>(19), Qt::LeftButton);
    else
        w.close();
    ASSERT_TRUE(waitForRunEnd(s.events()));
    EXPECT_EQ(ends.count(), 0);
    EXPECT_TRUE(w.isVisible());
    const batch::RunReport report = s.events().run().lastReport();
    EXPECT_TRUE(report.stopped);
    EXPECT_LT(report.reached, 120);
    EXPECT_EQ(w.statusLine(), QString::number(report.reached) + QStringLiteral(" Dateien kopiert !"));
    EXPECT_TRUE(w.control(15)->isEnabled());
    QTest::mouseClick(w.controlAs<QPushButton>(19), Qt::LeftButton);
    EXPECT_EQ(ends.count(), 1) << "without a run the quit button ends the loop";
}

INSTANTIATE_TEST_SUITE_P(QuitButtonAndCloseBox, StopRun, ::testing::Values(true, false));
