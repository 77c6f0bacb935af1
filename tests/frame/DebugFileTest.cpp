#include "FakeSurroundings.h"
#include "frame/StandardProc530.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace vardolin::frame;
using namespace vardolin::frame::testing;

namespace {

class DebugFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        proc.values().uAnwendung = "Vardolin";
        proc.values().uComputerName = "OFFICE7";
        proc.values().uExeVerz = exeDir.path() + "/";
    }

    QString logFolder() const { return exeDir.path() + "/log/"; }
    QString expectedName() const { return logFolder() + "Log_Vardolin_Pgm_OFFICE7_230510-14302200.txt"; }

    QTemporaryDir exeDir;
    FakeClock clock;
    FakeEnvironment environment;
    StandardProc proc{clock, environment};
};

} // namespace

TEST(DebugThreshold, LevelsPassOnlyBetweenThresholdAndFive)
{
    EXPECT_TRUE(debugLinePasses(5, 5));
    EXPECT_FALSE(debugLinePasses(2, 5));
    EXPECT_TRUE(debugLinePasses(2, 2));
    EXPECT_TRUE(debugLinePasses(5, 2));
    EXPECT_FALSE(debugLinePasses(2, 3));
    for (int threshold : {1, 6, 9}) {
        EXPECT_FALSE(debugLinePasses(5, threshold));
        EXPECT_FALSE(debugLinePasses(2, threshold));
        EXPECT_TRUE(debugLinePasses(7, threshold));
    }
}

TEST_F(DebugFile, FirstLineNamesTheFileAfterItsTimeAndComputer)
{
    proc.s_Debug("StandardStart530", "z_StandardStart", 42, "Hallo", 5, 1, 0, 5);
    EXPECT_EQ(proc.s_DebugFile("D", "", "", "", "", 0), expectedName());
    EXPECT_EQ(fileBytes(expectedName()),
              "2023-05-10-14:30:22.000000 | StandardStart530 | z_StandardStart | 42 : Hallo\r\n");
}

TEST_F(DebugFile, NothingAppearsBelowTheThreshold)
{
    proc.s_Debug("U", "p", 1, "x", 5, 1, 0, 0);
    proc.s_Debug("U", "p", 1, "x", 2, 1, 0, 5);
    EXPECT_FALSE(QFileInfo::exists(logFolder()));
    // A stamp was taken all the same.
    EXPECT_EQ(proc.s_DebugStamp(0), "2023-05-10-14:30:22.000002");
}

TEST_F(DebugFile, FormattedModesPadAndCutTheirColumns)
{
    proc.s_DebugFile("W", "", "Unit", "Proc", "text", 7);
    proc.s_DebugFile("W", "", "", "", "bare", 0);
    proc.s_DebugFile("W", "", "-", "ignored", "dash", 3);
    proc.s_DebugFile("W", "", "ABCDEFGHIJKLMNOPQRSTUVWXY", "p", "cut", 123456);
    const QList<QByteArray> lines = fileBytes(expectedName()).split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0], "2023-05-10-14:30:22.000000 | Unit                 | "
                            + QByteArray("Proc").leftJustified(40, ' ') + " |     7 | text\r");
    EXPECT_EQ(lines[1], "2023-05-10-14:30:22.000001 | StandardProc530      | "
                            + QByteArray("Main").leftJustified(40, ' ') + " | bare\r");
    EXPECT_EQ(lines[2], "2023-05-10-14:30:22.000002 | dash\r");
    EXPECT_TRUE(lines[3].contains("| ABCDEFGHIJKLMNOPQRST | "));
    EXPECT_TRUE(lines[3].contains(" | 12345 | cut"));
}

TEST_F(DebugFile, OtherModesCloseAndOStartsANewName)
{
    proc.s_DebugFile("X", "", "U", "P", "one", 0); // written and closed
    const QString first = proc.s_DebugFile("D", "", "", "", "", 0);
    EXPECT_EQ(first, expectedName());
    proc.s_DebugFile("O", "", "U", "P", "two", 0);
    const QString second = proc.s_DebugFile("D", "", "", "", "", 0);
    EXPECT_NE(second, first);
    EXPECT_TRUE(fileBytes(first).endsWith("one\r\n"));
    EXPECT_TRUE(fileBytes(second).endsWith("two\r\n"));
    // A lower-case "debug" is formatted but then written as given.
    proc.s_DebugFile("debug", "", "U", "P", "raw", 0);
    EXPECT_TRUE(fileBytes(second).endsWith("\r\nraw\r\n"));
}

TEST_F(DebugFile, ExistingContentIsContinuedAtItsEnd)
{
    QDir().mkpath(logFolder());
    putFile(expectedName(), "earlier\r\n");
    proc.s_Debug("U", "p", 1, "later", 5, 1, 0, 5);
    EXPECT_EQ(fileBytes(expectedName()), "earlier\r\n2023-05-10-14:30:22.000000 | U | p | 1 : later\r\n");
}

TEST_F(DebugFile, ReopensUnderTheSameNameAfterThirtySeconds)
{
    proc.s_Debug("U", "p", 1, "first", 5, 1, 0, 5);
    QFile::remove(expectedName());
    clock.advance(10000);
    proc.s_Debug("U", "p", 2, "still open", 5, 1, 0, 5);
    EXPECT_FALSE(QFileInfo::exists(expectedName()));
    clock.advance(30001);
    proc.s_Debug("U", "p", 3, "reopened", 5, 1, 0, 5);
    EXPECT_EQ(proc.s_DebugFile("D", "", "", "", "", 0), expectedName());
    EXPECT_TRUE(fileBytes(expectedName()).endsWith("| U | p | 3 : reopened\r\n"));
}

TEST_F(DebugFile, UnwritableProgramFolderFallsBackToTheStateFolder)
{
    QTemporaryDir state;
    putFile(exeDir.filePath("plain"), "x");
    proc.values().uExeVerz = exeDir.filePath("plain") + "/";
    environment.variables["XDG_STATE_HOME"] = state.path();
    proc.s_Debug("U", "p", 1, "moved", 5, 1, 0, 5);
    EXPECT_EQ(proc.s_DebugFile("D", "", "", "", "", 0),
              state.path() + "/vardolin/log/Log_Vardolin_Pgm_OFFICE7_230510-14302200.txt");
}
