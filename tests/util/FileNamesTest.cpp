#include "util/FileNames.h"
#include "util/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vardolin::util;

#ifndef Q_OS_WIN

namespace {

void expectRoundTrip(const QByteArray& bytes)
{
    const QString text = textFromFileName(bytes);
    ASSERT_EQ(fileNameFromText(text), bytes) << bytes.toHex().toStdString();
    EXPECT_EQ(textFromFileName(fileNameFromText(text)), text) << bytes.toHex().toStdString();
}

// A folder made under the raw bytes of its name, as an archive would leave it.
void makeFolderNamed(const QString& parent, const QByteArray& name)
{
    const QByteArray path = fileNameFromText(parent) + '/' + name;
    std::filesystem::create_directory(path.toStdString());
}

// A temporary folder that QTemporaryDir could not remove: its names are not
// all UTF-8.
struct TemporaryFolder {
    QTemporaryDir dir;
    QString path = QDir(dir.path()).canonicalPath();
    ~TemporaryFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(toFsPath(path), error);
    }
};

} // namespace

TEST(FileNames, EveryByteStringSurvivesTheWayThroughATextAndBack)
{
    // Every byte alone and every pair of bytes, between ASCII letters: each
    // lead byte with each possible next byte, so every cut sequence is seen.
    for (int first = 1; first < 256; ++first) {
        expectRoundTrip(QByteArray("a") + char(first) + "z");
        for (int second = 1; second < 256; ++second)
            expectRoundTrip(QByteArray(1, char(first)) + char(second));
    }
    // Overlong forms, encoded surrogates, beyond U+10FFFF, cut at the end.
    for (const char* odd : {"\xC0\xAF", "\xE0\x80\xAF", "\xF0\x80\x80\xAF", "\xED\xA0\x80", "\xED\xBF\xBF",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE2\x82", "\xF0\x9F\x98", "latin1-\xE4\xF6.jpg"})
        expectRoundTrip(QByteArray(odd));
}

TEST(FileNames, ValidNamesDecodeAsUtf8AndInvalidBytesAsLoneSurrogates)
{
    for (const char* valid : {"IMG_01.jpg", "Grösse ä ö ü ß", "\xF0\x9F\x98\x80 smile", "\xEF\xBF\xBD", "x|y \"q\""})
        EXPECT_EQ(textFromFileName(valid), QString::fromUtf8(valid)) << valid;
    const QString latin1 = textFromFileName("latin1-\xE4\xF6.jpg");
    EXPECT_EQ(latin1, QStringLiteral("latin1-") + QChar(0xDCE4) + QChar(0xDCF6) + QStringLiteral(".jpg"));
    EXPECT_EQ(fromFsPath(toFsPath(latin1)), latin1);
}

TEST(FileNames, FilePrimitivesReachANameThatIsNotUtf8)
{
    const TemporaryFolder temporary;
    const QString& parent = temporary.path;
    makeFolderNamed(parent, "latin1-\xE4\xF6");
    const QString folder = parent + u'/' + textFromFileName("latin1-\xE4\xF6");
    EXPECT_EQ(sizeTest(folder), -2);
    EXPECT_EQ(createFolder(folder + QStringLiteral("/komp")), 1);
    EXPECT_TRUE(writeTextFile(folder + QStringLiteral("/komp/") + textFromFileName("\xE9t\xE9.txt"), "x"));
    EXPECT_EQ(sizeTest(folder + QStringLiteral("/komp/") + textFromFileName("\xE9t\xE9.txt")), 1);
    EXPECT_EQ(readTextLines(folder + QStringLiteral("/komp/") + textFromFileName("\xE9t\xE9.txt")),
              QStringList{QStringLiteral("x")});
    EXPECT_TRUE(setModificationTime(folder, 1000000000));
    EXPECT_EQ(modificationTime(folder), 1000000000);
    EXPECT_FALSE(readTextLines(folder)) << "a folder is not a text file";
}

#endif
