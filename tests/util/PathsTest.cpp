#include "util/Paths.h"

#include <gtest/gtest.h>

using namespace vardolin::util;

namespace {

struct Row {
    const char* path;
    const char* pathPart;
    const char* filePart;
    const char* baseName;
    const char* extension;
};

const Row rows[] = {
    {"C:\\Fotos\\a.b.c.jpg", "C:\\Fotos\\", "a.b.c.jpg", "a.b.c", "jpg"},
    {"C:\\Fotos\\Notiz", "C:\\Fotos\\", "Notiz", "Notiz", ""},
    {"C:\\Fotos\\.jpg", "C:\\Fotos\\", ".jpg", ".jpg", ""},
    {"C:\\Fotos\\a.b x", "C:\\Fotos\\", "a.b x", "a.b x", ""},
    {"/home/u/Fotos/a.b.c.jpg", "/home/u/Fotos/", "a.b.c.jpg", "a.b.c", "jpg"},
    {"/home/u/Fotos\\mixed.png", "/home/u/Fotos\\", "mixed.png", "mixed", "png"},
    {"\"C:\\My Fotos\\b.jpg\"", "C:\\My Fotos\\", "b.jpg", "b", "jpg"},
    {"bild.jpg", "", "bild.jpg", "bild", "jpg"},
    {"/home/u/dir.d/Notiz", "/home/u/dir.d/", "Notiz", "Notiz", ""},
    {"/home/u/a.", "/home/u/", "a.", "a.", ""},
    {"/home/u/", "/home/u/", "", "", ""},
    {"", "", "", "", ""},
};

} // namespace

TEST(Paths, SplitsTheTableRows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(pathPart(row.path), row.pathPart);
        EXPECT_EQ(filePart(row.path), row.filePart);
        EXPECT_EQ(baseName(row.path), row.baseName);
        EXPECT_EQ(extensionPart(row.path), row.extension);
    }
}

TEST(Paths, BarEndsTheSeparatorScanOfThePathPart)
{
    EXPECT_EQ(pathPart("C:\\Fotos\\*.jpg|D:\\x\\*.png"), "C:\\Fotos\\");
    EXPECT_EQ(pathPart("*.jpg|/x/y"), "");
}

TEST(Paths, SeparatorsAndTrailingSeparators)
{
    EXPECT_TRUE(isSeparator(u'/'));
    EXPECT_TRUE(isSeparator(u'\\'));
    EXPECT_FALSE(isSeparator(u'|'));
#ifndef Q_OS_WIN
    EXPECT_EQ(separator(), u'/');
#endif
    EXPECT_EQ(withoutTrailingSeparators("/a/komp /\\/"), "/a/komp ");
    EXPECT_EQ(withTrailingSeparator("/a"), QString("/a") + separator());
    EXPECT_EQ(withTrailingSeparator("/a\\"), "/a\\");
    EXPECT_EQ(withTrailingSeparator(""), "");
}

TEST(Paths, NamesFromTheDiskAreTakenWhole)
{
    EXPECT_EQ(folderOf("s/x|y/IMG.jpg"), "s/x|y/");
    EXPECT_EQ(nameOf("s/x|y/IMG.jpg"), "IMG.jpg");
    EXPECT_EQ(nameOf("/f/say \"hi\".jpg"), "say \"hi\".jpg");
    EXPECT_EQ(baseNameOf("/f/say \"hi\".jpg"), "say \"hi\"");
    EXPECT_EQ(extensionOf("/f/a.jp\"g"), "jp\"g");
    EXPECT_EQ(folderOf("\"C:\\My Fotos\\b.jpg\""), "\"C:\\My Fotos\\");
    // Without a "|" or a double quote both sets of rules agree.
    for (const Row& row : rows) {
        const QString path = QString::fromUtf8(row.path);
        if (path.contains(u'"'))
            continue;
        SCOPED_TRACE(row.path);
        EXPECT_EQ(folderOf(path), row.pathPart);
        EXPECT_EQ(nameOf(path), row.filePart);
        EXPECT_EQ(baseNameOf(path), row.baseName);
        EXPECT_EQ(extensionOf(path), row.extension);
    }
}
