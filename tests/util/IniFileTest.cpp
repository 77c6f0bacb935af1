#include "util/IniFile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace vardolin::util;

namespace {

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

TEST(IniFile, ReadsLfWithoutBomAndToleratesJunk)
{
    const IniFile ini = IniFile::parse({
        "junk before any group",
        "",
        "[ standard ]",
        "  SPRACHE   =  GB ",
        "no equals sign here",
        "=value without key",
        "BildDatei = *.png=x",
        "[Other]",
        "Sprache = D",
    });
    // The value is everything after "= ": a hand edit's extra blanks stay.
    EXPECT_EQ(ini.value("Standard", "Sprache"), " GB ");
    EXPECT_EQ(ini.value("STANDARD", " sprache "), " GB ");
    EXPECT_EQ(ini.value("Standard", "BildDatei"), "*.png=x");
    EXPECT_EQ(ini.value("Other", "Sprache"), "D");
    EXPECT_EQ(ini.value("Standard", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.value("Nowhere", "Sprache", "dflt"), "dflt");
    EXPECT_TRUE(ini.contains("standard", "sprache"));
    EXPECT_FALSE(ini.contains("standard", "Editor"));
}

TEST(IniFile, WritesBomGroupsAndCrLf)
{
    IniFile ini;
    ini.setValue("Standard", "Bildgroesse", "001");
    ini.setValue("Standard", "QuellVerz", "");
    EXPECT_EQ(ini.toBytes(), QByteArray("\xEF\xBB\xBF[Standard]\r\nBildgroesse = 001\r\nQuellVerz = \r\n"));
}

TEST(IniFile, RoundTripKeepsUnknownGroupsKeysAndComments)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("x.ini");
    putFile(path, "; kept comment\n[Standard]\nsprache=GB\nFremd = 1\n[Eigenes]\nA = b\n");
    auto ini = IniFile::read(path);
    ASSERT_TRUE(ini);
    ini->setValue("STANDARD", "Sprache", "D");
    ini->setValue("Standard", "Neu", QString::fromUtf8("ä"));
    ASSERT_TRUE(ini->write(path));
    const auto again = IniFile::read(path);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->value("Standard", "Sprache"), "D");
    EXPECT_EQ(again->value("Standard", "Fremd"), "1");
    EXPECT_EQ(again->value("Eigenes", "A"), "b");
    EXPECT_EQ(again->value("Standard", "Neu"), QString::fromUtf8("ä"));
    EXPECT_EQ(again->toBytes(), QByteArray("\xEF\xBB\xBF; kept comment\r\n[Standard]\r\n"
                                           "Sprache = D\r\nFremd = 1\r\nNeu = \xC3\xA4\r\n"
                                           "[Eigenes]\r\nA = b\r\n"));
}

TEST(IniFile, MissingFileReadsAsNothingAndBadPathFailsToWrite)
{
    QTemporaryDir dir;
    EXPECT_FALSE(IniFile::read(dir.filePath("none.ini")));
    putFile(dir.filePath("plain"), "x");
    IniFile ini;
    ini.setValue("Standard", "A", "1");
    EXPECT_FALSE(ini.write(dir.filePath("plain/x.ini")));
}
