#include "FakeSurroundings.h"
#include "frame/Environment.h"
#include "frame/StandardEnde530.h"
#include "frame/StandardStart530.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace vardolin::frame;
using namespace vardolin::frame::testing;

namespace {

class StandardStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment.exePath = exeDir.path() + "/vardolin";
        environment.workFolder = workDir.path();
        environment.variables["USER"] = "anna";
        environment.variables["XDG_CONFIG_HOME"] = "/home/anna/.config";
        environment.variables["XDG_STATE_HOME"] = stateDir.path();
        environment.instances = 2;
        // Started beside its settings file, as from a terminal there.
        putFile(workDir.filePath("Vardolin.ini"), "");
    }

    void writeDebugIni(const QByteArray& anw)
    {
        putFile(workDir.filePath("debug.ini"),
                "[Standard]\r\nDebugFileAnw = " + anw + "\r\nDebugFileWin=3\r\nDebugFileProc = 4\r\n");
    }

    // The lines of the one debug file under the executable's folder.
    QStringList debugLines()
    {
        const QDir log(exeDir.path() + "/log");
        const QStringList files = log.entryList(QDir::Files);
        if (files.size() != 1) {
            return {};
        }
        return QString::fromUtf8(fileBytes(log.filePath(files.first()))).split("\r\n", Qt::SkipEmptyParts);
    }

    void runStartAndEnd()
    {
        z_StandardStart(context, proc);
        z_StandardEnde(context, proc);
    }

    QTemporaryDir exeDir;
    QTemporaryDir workDir;
    QTemporaryDir stateDir;
    FakeClock clock;
    FakeEnvironment environment;
    StandardProc proc{clock, environment};
    FrameContext context;
};

bool anyEndsWith(const QStringList& lines, const QString& tail)
{
    for (const QString& line : lines) {
        if (line.endsWith(tail)) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(StandardStart, CollectsTheSurroundings)
{
    z_StandardStart(context, proc);
    EXPECT_EQ(context.uAnwendung, "Vardolin");
    EXPECT_EQ(context.uExeDatei, exeDir.path() + "/vardolin");
    EXPECT_EQ(context.uExePgm, "vardolin");
    EXPECT_EQ(context.uExeVerz, exeDir.path() + "/");
    EXPECT_EQ(context.uAktVerz, workDir.path() + "/");
    EXPECT_EQ(context.uAnwVerz, "/home/anna/.config/");
    EXPECT_EQ(context.uUserId, "ANNA");
    EXPECT_EQ(context.uSystemRoot, "/");
    EXPECT_EQ(context.uComputerName, "OFFICE7");
    EXPECT_EQ(context.uPgmInstanz, 2);
    EXPECT_EQ(context.uPgmVersion, "V 1.07");
    EXPECT_EQ(context.uTestLauf, 0);
    EXPECT_EQ(context.DebugFileAnw, 0);
    EXPECT_EQ(proc.values().uExeVerz, context.uExeVerz);
    EXPECT_EQ(proc.values().uPgmInstanz, 2);
}

TEST_F(StandardStart, PlatformFallbacksForUnsetVariables)
{
    environment.variables.clear();
    environment.variables["HOME"] = "/home/bo";
    environment.variables["LOGNAME"] = "bo";
    environment.workFolder = "/";
    z_StandardStart(context, proc);
    EXPECT_EQ(context.uAnwVerz, "/home/bo/.config/");
    EXPECT_EQ(context.uUserId, "BO");
    EXPECT_EQ(context.uAktVerz, "/home/bo/.config/vardolin/") << "/ holds no settings file";
    EXPECT_TRUE(context.settingsInUserConfig);
    environment.variables.clear();
    z_StandardStart(context, proc);
    EXPECT_EQ(context.uAnwVerz, "/");
    EXPECT_EQ(context.uUserId, "");
    EXPECT_EQ(context.uAktVerz, "/") << "without a home the working folder stays";
    EXPECT_FALSE(context.settingsInUserConfig);
}

TEST_F(StandardStart, NoDebugIniLeavesNoFolderAndNoFile)
{
    runStartAndEnd();
    EXPECT_FALSE(QFileInfo::exists(exeDir.path() + "/log"));
    EXPECT_TRUE(QDir(stateDir.path()).isEmpty());
    EXPECT_TRUE(QDir(exeDir.path()).isEmpty());
}

TEST_F(StandardStart, EmptyDebugIniCountsAsMissing)
{
    putFile(workDir.filePath("debug.ini"), "");
    runStartAndEnd();
    EXPECT_FALSE(QFileInfo::exists(exeDir.path() + "/log"));
}

TEST_F(StandardStart, ThresholdFiveWritesTheBlockButNotItsClosingLine)
{
    writeDebugIni("5");
    runStartAndEnd();
    EXPECT_EQ(context.DebugFileAnw, 5);
    EXPECT_EQ(context.DebugFileWin, 3);
    EXPECT_EQ(context.DebugFileProc, 4);
    const QStringList lines = debugLines();
    ASSERT_EQ(lines.size(), 15);
    EXPECT_TRUE(lines[0].startsWith("2023-05-10-14:30:22.000000 | StandardStart530 | "
                                    "z_StandardStart | "));
    EXPECT_TRUE(lines[0].endsWith(" : --- Start " + QString(155, u'-')));
    EXPECT_TRUE(lines[1].endsWith(QString::fromUtf8(" : Programm läuft als Test = Nein")));
    EXPECT_TRUE(lines[2].endsWith(" : Anwendung   =Vardolin"));
    EXPECT_TRUE(lines[3].endsWith(" : Sourcefile  =main.cpp"));
    EXPECT_TRUE(lines[5].endsWith(" : uPgmInstanz =2"));
    EXPECT_TRUE(lines[12].endsWith(" : uUserId     =ANNA"));
    EXPECT_TRUE(lines[13].endsWith(" : uSystemRoot$=/"));
    EXPECT_TRUE(lines[14].startsWith("2023-05-10-14:30:22.000015 | StandardEnde530 | "
                                     "z_StandardEnde | "));
    EXPECT_TRUE(lines[14].endsWith(" : --- Ende " + QString(156, u'-')));
}

TEST_F(StandardStart, ThresholdTwoAddsTheClosingLineOfTheBlock)
{
    writeDebugIni(" 2");
    runStartAndEnd();
    const QStringList lines = debugLines();
    ASSERT_EQ(lines.size(), 16);
    EXPECT_TRUE(lines[14].endsWith(" : --- Ende " + QString(165, u'-')));
}

TEST_F(StandardStart, ThresholdsOneAndSixWriteNothing)
{
    for (const QByteArray anw : {"1", "6", "abc"}) {
        writeDebugIni(anw);
        StandardProc fresh(clock, environment);
        FrameContext freshContext;
        z_StandardStart(freshContext, fresh);
        z_StandardEnde(freshContext, fresh);
        EXPECT_FALSE(QFileInfo::exists(exeDir.path() + "/log")) << anw.constData();
    }
}

TEST_F(StandardStart, DebugIniReadsHexAndOtherCase)
{
    putFile(workDir.filePath("debug.ini"), "[STANDARD]\ndebugfileanw=$10\n");
    z_StandardStart(context, proc);
    EXPECT_EQ(context.DebugFileAnw, 16);
    EXPECT_EQ(context.DebugFileProc, 0);
}

TEST_F(StandardStart, TestBuildRunsFromTheWorkingFolderButLogsBesideTheExecutable)
{
    environment.exePath = exeDir.path() + "/TestBuild_tool";
    writeDebugIni("5");
    runStartAndEnd();
    EXPECT_EQ(context.uTestLauf, 1);
    EXPECT_EQ(context.uExeVerz, context.uAktVerz);
    EXPECT_EQ(proc.values().uExeVerz, exeDir.path() + "/");
    EXPECT_EQ(proc.values().uTestLauf, 1);
    const QStringList lines = debugLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(anyEndsWith(lines, QString::fromUtf8(" : Programm läuft als Test = ja")));
    EXPECT_TRUE(anyEndsWith(lines, " : uExeVerz    =" + context.uAktVerz));
}

TEST(TempDir, TempThenTmpTrimmedAndSeparatorTerminated)
{
    FakeEnvironment environment;
    environment.variables["TEMP"] = "/var/tmp/";
    EXPECT_EQ(s_TempDir(environment), "/var/tmp/");
    environment.variables["TEMP"] = "C:\\Temp\\";
    EXPECT_EQ(s_TempDir(environment), "C:\\Temp\\");
    environment.variables.remove("TEMP");
    environment.variables["TMP"] = "  /d/t  ";
    EXPECT_EQ(s_TempDir(environment), "/d/t/");
    environment.variables.remove("TMP");
    EXPECT_EQ(s_TempDir(environment), "");
}

TEST(CountInstances, CountsMatchingExecutablesIgnoringCase)
{
    QTemporaryDir proc;
    const auto process = [&](const QString& pid, const QString& target) {
        QDir(proc.path()).mkdir(pid);
        QFile::link(target, proc.path() + "/" + pid + "/exe");
    };
    process("101", "/opt/a/vardolin");
    process("102", "/usr/bin/VARDOLIN (deleted)");
    process("103", "/usr/bin/other");
    process("self", "/opt/a/vardolin"); // not a process number
    QDir(proc.path()).mkdir("104");     // no exe link: skipped
    EXPECT_EQ(countInstancesIn(proc.path(), "Vardolin", true), 2);
    EXPECT_EQ(countInstancesIn(proc.path(), "vardolin", false), 1);
    EXPECT_EQ(countInstancesIn(proc.path() + "/missing", "vardolin", true), 0);
}

#ifdef Q_OS_LINUX
TEST(CountInstances, TheRunningProgramCountsItself)
{
    const Environment& system = systemEnvironment();
    const QString self = QFileInfo(system.executablePath()).fileName();
    EXPECT_GE(s_CountInstances(system, self, 1), 1);
}
#endif
