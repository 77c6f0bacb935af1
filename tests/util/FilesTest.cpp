#include "util/Files.h"
#include "util/Dates.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <ctime>

using namespace vardolin::util;

namespace {

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Files, SizeTestTellsMissingFolderAndFileSize)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.jpg");
    putFile(file, "12345");
    EXPECT_EQ(sizeTest(""), -1);
    EXPECT_EQ(sizeTest(dir.filePath("missing")), -1);
    EXPECT_EQ(sizeTest(dir.path()), -2);
    EXPECT_EQ(sizeTest(dir.path() + "/"), -2);
    EXPECT_EQ(sizeTest(dir.path() + "\\"), -2);
    EXPECT_EQ(sizeTest(file), 5);
    EXPECT_EQ(sizeTest(file + "/"), 5);
    EXPECT_EQ(sizeTest("/"), -2);
    putFile(dir.filePath("empty"), "");
    EXPECT_EQ(sizeTest(dir.filePath("empty")), 0);
}

TEST(Files, CreateFolderStripsTrailingSeparatorsAndKeepsBlanks)
{
    QTemporaryDir dir;
    EXPECT_EQ(createFolder(dir.path() + "/komp/\\/"), 1);
    EXPECT_TRUE(QFileInfo(dir.filePath("komp")).isDir());
    // The folder made is the folder the copies are written to.
    EXPECT_EQ(createFolder(dir.path() + "/komp /"), 1);
    EXPECT_TRUE(QFileInfo(dir.filePath("komp ")).isDir());
    EXPECT_EQ(createFolder(dir.path() + "/komp"), 0);  // exists already
    EXPECT_EQ(createFolder(dir.path() + "/x/y/z"), 0); // one level only
    EXPECT_EQ(createFolder(""), 0);
    EXPECT_EQ(createFolder("//"), 0);
}

TEST(Files, ModificationTimeRoundTripsToTheSecond)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.jpg");
    putFile(file, "x");
    const qint64 wanted = QDateTime(QDate(2021, 7, 14), QTime(13, 45, 7)).toSecsSinceEpoch();
    ASSERT_TRUE(setModificationTime(file, wanted));
    EXPECT_EQ(modificationTime(file), wanted);
    EXPECT_EQ(
        formatDate("%yyyy-%mm-%dd %hh:%ii:%ss", dateValueOf(QDateTime::fromSecsSinceEpoch(modificationTime(file)))),
        "2021-07-14 13:45:07");
    // Reading and setting again keeps the time.
    ASSERT_TRUE(setModificationTime(file, modificationTime(file)));
    EXPECT_EQ(modificationTime(file), wanted);
    EXPECT_FALSE(setModificationTime(dir.filePath("missing"), wanted));
    EXPECT_EQ(modificationTime(dir.filePath("missing")), 0);
}

// Sets the process's time zone while it lives.
class TimeZoneForTest {
public:
    explicit TimeZoneForTest(const char* zone) : old_(qgetenv("TZ")), hadOld_(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZoneForTest()
    {
        if (hadOld_)
            qputenv("TZ", old_);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray old_;
    bool hadOld_;
};

TEST(Files, ATimeInTheHourThatRepeatsInAutumnIsCopiedAsTheSameInstant)
{
    // Central European rules written out, so no time zone files are needed.
    const TimeZoneForTest berlin("CET-1CEST,M3.5.0,M10.5.0/3");
    QTemporaryDir dir;
    const QString source = dir.filePath("IMG.jpg");
    const QString copy = dir.filePath("IMG_k!.JPG");
    putFile(source, "x");
    putFile(copy, "y");
    // 2023-10-29 02:30 summer time is 00:30 UTC; an hour later clocks show
    // 02:30 again, in winter time.
    const QDateTime summer(QDate(2023, 10, 29), QTime(0, 30), QTimeZone::utc());
    for (const QDateTime& instant : {summer, summer.addSecs(3600)}) {
        {
            QFile file(source);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_TRUE(file.setFileTime(instant, QFileDevice::FileModificationTime));
        }
        ASSERT_TRUE(setModificationTime(copy, modificationTime(source)));
        EXPECT_EQ(QFileInfo(copy).lastModified().toUTC(), instant);
    }
}

TEST(Files, ReadTextLinesAcceptsBomAndBothLineEnds)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("list.txt");
    putFile(file, "\xEF\xBB\xBF"
                  "800,600\r\n1024,768\n\r\nlast");
    const auto lines = readTextLines(file);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList({"800,600", "1024,768", "", "last"}));
    putFile(file, QString::fromUtf8("schlechteste Qualität\r\n").toUtf8());
    EXPECT_EQ(*readTextLines(file), QStringList({QString::fromUtf8("schlechteste Qualität")}));
    putFile(file, "");
    EXPECT_TRUE(readTextLines(file)->isEmpty());
    EXPECT_FALSE(readTextLines(dir.filePath("missing")));
}

TEST(Files, WriteTextFileCreatesAndDoesNotShorten)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("t.txt");
    ASSERT_TRUE(writeTextFile(file, QString::fromUtf8("äb\r\n")));
    EXPECT_EQ(contentOf(file), QByteArray("\xC3\xA4"
                                          "b\r\n"));
    ASSERT_TRUE(writeTextFile(file, "X"));
    EXPECT_EQ(contentOf(file), QByteArray("X\xA4"
                                          "b\r\n"));
}

TEST(Files, AtomicWriteReplacesWholeFileOrNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("s.ini");
    putFile(file, "old content that is long");
    ASSERT_TRUE(writeFileAtomically(file, "new"));
    EXPECT_EQ(contentOf(file), QByteArray("new"));
    // A folder path that runs through a regular file cannot be written.
    EXPECT_FALSE(writeFileAtomically(file + "/inner.ini", "x"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"s.ini"}));
}
