// Writing the settings file onto a disk that is full or read-only: the write
// reports failure, the file keeps its old content and no temporary stays.

#include "util/IniFile.h"
#include "util/SmallDisk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using vardolin::testing::SmallDisk;
using vardolin::util::IniFile;

namespace {

const QByteArray kOld = "\xEF\xBB\xBF[Einstellungen]\r\nSprache = D\r\n";

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

IniFile settingsWithValueOf(qsizetype length)
{
    IniFile ini = IniFile::parse({QStringLiteral("[Einstellungen]"), QStringLiteral("Sprache = D")});
    ini.setValue(QStringLiteral("Einstellungen"), QStringLiteral("QuellVerz"), QString(length, u'x'));
    return ini;
}

// Root writes into any folder, so where the test runs as root the write
// under test runs as nobody for as long as this lives.
class AsAnotherUser {
public:
    AsAnotherUser() : switched_(::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0) {}
    ~AsAnotherUser()
    {
        if (switched_) {
            [[maybe_unused]] const int user = ::seteuid(0);
            [[maybe_unused]] const int group = ::setegid(0);
        }
    }
    AsAnotherUser(const AsAnotherUser&) = delete;
    AsAnotherUser& operator=(const AsAnotherUser&) = delete;

private:
    bool switched_;
};

bool isOpenToOthers(const QString& folder)
{
    for (QString path = folder; path != QStringLiteral("/"); path = QFileInfo(path).path()) {
        if (!(QFileInfo(path).permissions() & QFileDevice::ExeOther))
            return false;
    }
    return true;
}

} // namespace

TEST(SettingsOnAFaultyDisk, FullDiskKeepsTheOldFile)
{
    QTemporaryDir dir;
    SmallDisk disk(dir.path(), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.error();
    const QString path = dir.filePath(QStringLiteral("Vardolin.ini"));
    ASSERT_TRUE(putFile(path, kOld));
    // Fill the disk until a write fails, then free a little: a small file fits,
    // the new settings do not.
    const QString filler = dir.filePath(QStringLiteral("filler"));
    {
        QFile file(filler);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (file.write(block) == block.size() && file.flush()) {
        }
    }
    ASSERT_TRUE(QFile(filler).resize(QFile(filler).size() - 8192));

    EXPECT_FALSE(settingsWithValueOf(60000).write(path));
    EXPECT_EQ(contentOf(path), kOld);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("Vardolin.ini"), QStringLiteral("filler")}));

    // Once there is room again the same write goes through.
    ASSERT_TRUE(QFile::remove(filler));
    EXPECT_TRUE(settingsWithValueOf(60000).write(path));
    EXPECT_EQ(IniFile::read(path)->value(QStringLiteral("Einstellungen"), QStringLiteral("QuellVerz")).size(), 60000);
}

TEST(SettingsOnAFaultyDisk, ReadOnlyFolderKeepsTheOldFile)
{
    QTemporaryDir dir;
    SmallDisk disk(dir.path(), "64k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.error();
    const QString path = dir.filePath(QStringLiteral("Vardolin.ini"));
    ASSERT_TRUE(putFile(path, kOld));
    ASSERT_TRUE(disk.makeReadOnly()) << disk.error();

    EXPECT_FALSE(settingsWithValueOf(10).write(path));
    EXPECT_EQ(contentOf(path), kOld);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Vardolin.ini")});
}

// A settings file the user may write, in a folder that takes no new file:
// there is no room for the temporary, so the file is written in place.
TEST(SettingsOnAFaultyDisk, WritableFileInAClosedFolderIsWrittenInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Vardolin.ini"));
    ASSERT_TRUE(putFile(path, kOld));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    if (::geteuid() == 0 && !isOpenToOthers(dir.path()))
        GTEST_SKIP() << "the temporary folder is closed to other users";
    bool written = false;
    {
        AsAnotherUser nobody;
        written = settingsWithValueOf(10).write(path);
    }
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    EXPECT_TRUE(written);
    EXPECT_EQ(IniFile::read(path)->value(QStringLiteral("Einstellungen"), QStringLiteral("QuellVerz")),
              QString(10, u'x'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Vardolin.ini")});
}
