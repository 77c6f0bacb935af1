#include "cli/CommandLine.h"
#include "frame/StartFolder.h"

#include "util/Paths.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::cli;

namespace {

ParsedCommandLine parse(std::initializer_list<const char*> arguments)
{
    QStringList list;
    for (const char* argument : arguments)
        list.append(QString::fromUtf8(argument));
    return parseCommandLine(list);
}

TEST(CommandLine, OptionsOverrideSingleSettings)
{
    const ParsedCommandLine parsed = parse({"--size", "1024,768", "--quality", "7", "--mode", "3", "--subfolders",
                                            "--overwrite", "--today", "--jobs", "3", "/home/u/Fotos/*.png"});
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    EXPECT_EQ(parsed.options.size, QStringLiteral("1024,768"));
    EXPECT_EQ(parsed.options.jobs, 3);

    Settings settings;
    frame::applyPathArgument(settings, parsed.options.path);
    applyOptions(parsed.options, settings);
    EXPECT_EQ(settings.QuellVerz, QStringLiteral("/home/u/Fotos/"));
    EXPECT_EQ(settings.BildDatei, QStringLiteral("*.png"));
    EXPECT_EQ(settings.Bildqualitaet, QStringLiteral("07"));
    EXPECT_EQ(settings.AusgabeOrdner, QStringLiteral("3"));
    EXPECT_EQ(settings.MitUnterordner, QStringLiteral("1"));
    EXPECT_EQ(settings.CBZielUeberschreiben, QStringLiteral("1"));
    EXPECT_EQ(settings.DateiDatum, QStringLiteral("2"));
}

TEST(CommandLine, PathRuleSplitsFolderAndPattern)
{
    Settings settings;
    frame::applyPathArgument(settings, QStringLiteral("/home/u/Fotos/"));
    EXPECT_EQ(settings.QuellVerz, QStringLiteral("/home/u/Fotos/"));
    EXPECT_EQ(settings.BildDatei, QString());
    frame::applyPathArgument(settings, QStringLiteral("IMG_01.jpg"));
    EXPECT_EQ(settings.QuellVerz, QString());
    EXPECT_EQ(settings.BildDatei, QStringLiteral("IMG_01.jpg"));
    frame::applyPathArgument(settings, QString());
    EXPECT_EQ(settings.BildDatei, QStringLiteral("IMG_01.jpg"));
}

TEST(CommandLine, TargetFolderChoosesModeFourUnlessAModeIsGiven)
{
    Settings settings;
    applyOptions(parse({"--target", "/tmp/klein"}).options, settings);
    EXPECT_EQ(settings.ZielVerz, QStringLiteral("/tmp/klein") + util::separator());
    EXPECT_EQ(settings.AusgabeOrdner, QStringLiteral("4"));

    Settings other;
    applyOptions(parse({"--target", "/tmp/klein/", "--mode", "2"}).options, other);
    EXPECT_EQ(other.ZielVerz, QStringLiteral("/tmp/klein/"));
    EXPECT_EQ(other.AusgabeOrdner, QStringLiteral("2"));
}

TEST(CommandLine, BadUsageIsNamed)
{
    for (auto arguments : {std::initializer_list<const char*>{"--size", "800"},
                           {"--size", "800,0"},
                           {"--size", "a,b"},
                           {"--quality", "12"},
                           {"--mode", "0"},
                           {"--mode", "x"},
                           {"--jobs", "0"},
                           {"--keep-date", "--today"},
                           {"--overwrite", "--no-overwrite"},
                           {"--settings", "a.ini", "--no-settings"},
                           {"--unknown"},
                           {"a/", "b/"},
                           {"--target", ""},
                           {"--fail-on", "error"},
                           {"--format", "gif"},
                           {"--keep-location", "--no-metadata"},
                           {"--optimize", "--no-optimize"}}) {
        EXPECT_FALSE(parse(arguments).error.isEmpty()) << *arguments.begin();
    }
    EXPECT_TRUE(parse({}).error.isEmpty());
    EXPECT_TRUE(parse({"--help"}).options.help);
}

// The Extra menu's choices for one run; only what is given changes. Asking
// for the metadata alone never keeps a location the settings file had on.
TEST(CommandLine, CopyChoicesGoIntoTheirOwnSettings)
{
    Settings settings;
    applyOptions(parse({"--format", "AVIF", "--keep-location", "--optimize"}).options, settings);
    EXPECT_EQ(settings.Extra.Kopieformat, QStringLiteral("avif"));
    EXPECT_EQ(settings.Extra.MetadatenBehalten, QStringLiteral("1"));
    EXPECT_EQ(settings.Extra.OrtBehalten, QStringLiteral("1"));
    EXPECT_EQ(settings.Extra.JpegOptimieren, QStringLiteral("1"));

    applyOptions(parse({"--keep-metadata"}).options, settings);
    EXPECT_EQ(settings.Extra.MetadatenBehalten, QStringLiteral("1"));
    EXPECT_EQ(settings.Extra.OrtBehalten, QStringLiteral("0"));
    EXPECT_EQ(settings.Extra.Kopieformat, QStringLiteral("avif"));

    applyOptions(parse({"--no-metadata", "--no-optimize", "--format", "keep"}).options, settings);
    EXPECT_EQ(settings.Extra, ExtraSettings{});
}

} // namespace
