#include "frame/RunLog.h"
#include "FakeSurroundings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <thread>
#include <vector>

using namespace vardolin::frame;
using namespace vardolin::frame::testing;

namespace {

class RunLogFile : public ::testing::Test {
protected:
    QString logPath() const { return dir.path() + "/Vardolin.log"; }

    QTemporaryDir dir;
    FakeClock clock{QDateTime(QDate(2024, 3, 1), QTime(9, 5, 0))};
    FakeEnvironment environment;
};

} // namespace

TEST_F(RunLogFile, BannersAroundTheLines)
{
    RunLog log(clock, environment);
    EXPECT_FALSE(log.isOn());
    ASSERT_TRUE(log.open(dir.path()));
    EXPECT_TRUE(log.isOn());
    log.writeLine(QString::fromUtf8("Zeile mit ä"));
    clock.advance(65000);
    log.close();
    log.writeLine("after close is dropped");
    EXPECT_EQ(fileBytes(logPath()), QByteArray(80, '=') + "\r\nProgrammstart 2024-03-01  09:05:00\r\n"
                                        + QByteArray(80, '-') + "\r\nZeile mit \xC3\xA4\r\n" + QByteArray(80, '-')
                                        + "\r\nProgrammende 2024-03-01  09:06:05\r\n" + QByteArray(80, '=') + "\r\n");
}

TEST_F(RunLogFile, OnlyAFileOverAMillionBytesStartsAfresh)
{
    putFile(logPath(), QByteArray(RunLog::kMaxSize, 'x'));
    {
        RunLog log(clock, environment);
        ASSERT_TRUE(log.open(dir.path()));
        log.close();
    }
    EXPECT_TRUE(fileBytes(logPath()).startsWith(QByteArray(RunLog::kMaxSize, 'x') + "===="));
    putFile(logPath(), QByteArray(RunLog::kMaxSize + 1, 'x'));
    RunLog log(clock, environment);
    ASSERT_TRUE(log.open(dir.path()));
    log.close();
    EXPECT_TRUE(fileBytes(logPath()).startsWith(QByteArray(80, '=') + "\r\nProgrammstart "));
}

TEST_F(RunLogFile, UnwritableProgramFolderUsesTheStateFolder)
{
    QTemporaryDir state;
    environment.variables["XDG_STATE_HOME"] = state.path();
    putFile(dir.path() + "/plain", "x");
    RunLog log(clock, environment);
    ASSERT_TRUE(log.open(dir.path() + "/plain"));
    EXPECT_EQ(log.filePath(), state.path() + "/vardolin/Vardolin.log");
    environment.variables.clear();
    RunLog nowhere(clock, environment);
    EXPECT_FALSE(nowhere.open(dir.path() + "/plain"));
    EXPECT_TRUE(nowhere.isOn());
    nowhere.writeLine("dropped");
}

// Root may write /usr/bin; an installed program logs in the user's state
// folder all the same, here unpacked below a scratch root. A build run from
// its own folder logs beside itself.
TEST_F(RunLogFile, AnInstalledProgramNeverLogsBesideItself)
{
    QTemporaryDir state;
    environment.variables["XDG_STATE_HOME"] = state.path();
    const QString installed = dir.path() + "/root/usr/bin";
    ASSERT_TRUE(QDir().mkpath(installed));
    RunLog log(clock, environment);
    ASSERT_TRUE(log.open(installed + "/"));
    EXPECT_EQ(log.filePath(), state.path() + "/vardolin/Vardolin.log");
    EXPECT_TRUE(QDir(installed).isEmpty());

    const QString build = dir.path() + "/build/src/app";
    ASSERT_TRUE(QDir().mkpath(build));
    ASSERT_TRUE(log.open(build));
    EXPECT_EQ(log.filePath(), build + "/Vardolin.log");
}

// A second window started while the first has the log open finds it over
// the limit and starts it afresh; the first one's later lines still arrive,
// in the same file, not in one that was deleted under it.
TEST_F(RunLogFile, AProgramStartingBesideAnotherKeepsTheOthersLaterLines)
{
    RunLog first(clock, environment);
    ASSERT_TRUE(first.open(dir.path()));
    first.writeLine(QString(RunLog::kMaxSize, u'x'));
    RunLog second(clock, environment);
    ASSERT_TRUE(second.open(dir.path()));
    first.writeLine("first goes on");
    second.writeLine("second goes on");
    first.close();
    second.close();
    const QByteArray bytes = fileBytes(logPath());
    EXPECT_FALSE(bytes.contains("xxxx"));
    EXPECT_TRUE(bytes.startsWith(QByteArray(80, '=') + "\r\nProgrammstart "));
    EXPECT_TRUE(bytes.contains("\r\nfirst goes on\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nsecond goes on\r\n"));
    EXPECT_EQ(bytes.count("Programmende "), 2);
}

TEST_F(RunLogFile, LinesFromManyThreadsStayWhole)
{
    RunLog log(clock, environment);
    ASSERT_TRUE(log.open(dir.path()));
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kLines; ++i) {
                log.writeLine(QStringLiteral("thread %1 line %2 ").arg(t).arg(i) + QString(60, u'#'));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    log.close();
    const QList<QByteArray> lines = fileBytes(logPath()).split('\n');
    int whole = 0;
    for (const QByteArray& line : lines) {
        if (line.startsWith("thread ")) {
            EXPECT_TRUE(line.endsWith(QByteArray(60, '#') + '\r'));
            ++whole;
        }
    }
    EXPECT_EQ(whole, kThreads * kLines);
}
