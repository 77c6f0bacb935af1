#include "frame/IniDatei.h"
#include "FakeSurroundings.h"
#include "frame/MessageBox.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using namespace vardolin;
using namespace vardolin::frame;
using namespace vardolin::frame::testing;

namespace {

struct Shown {
    QString title;
    QString text;
    int flags;
};

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        context.uAktVerz = dir.path() + "/";
        setMessagePresenter([this](const QString& title, const QString& text, int flags) {
            shown.push_back({title, text, flags});
            return 1;
        });
    }
    void TearDown() override { setMessagePresenter({}); }

    QString iniPath() const { return dir.path() + "/Vardolin.ini"; }

    QTemporaryDir dir;
    FrameContext context;
    Settings settings;
    std::vector<Shown> shown;
};

const QByteArray kDefaultFile = "\xEF\xBB\xBF[Standard]\r\n"
                                "Editor = C:\\Programme\\med\\med.exe\r\n"
                                "QuellVerz = \r\n"
                                "Bildgroesse = 001\r\n"
                                "Bildqualitaet = 03\r\n"
                                "AusgabeOrdner = 1\r\n"
                                "ZielVerz = \r\n"
                                "ZielSubVerz = komp\r\n"
                                "DateiPrefix = !k_\r\n"
                                "DateiSuffix = _k!\r\n"
                                "DateiDatum = 1\r\n"
                                "Sprache = D\r\n"
                                "BildDatei = *.jpg\r\n"
                                "BildDateiEx = *NoPic*.jpg\r\n"
                                "ImmerSuffix = _k!\r\n"
                                "ImmerPrefix = !k_\r\n"
                                "CBZielUeberschreiben = \r\n"
                                "CBZielVerzPlus = \r\n"
                                "ZielVerzPlus = \r\n";

} // namespace

TEST_F(SettingsFile, DefaultsWithoutFileAndTheFirstWriteHasAllKeysInOrder)
{
    settings.Bildgroesse = "007";
    settings.MitUnterordner = "1";
    IniDatei(settings, context, "#READ");
    EXPECT_EQ(settings.IniFile, iniPath());
    EXPECT_EQ(settings.Bildgroesse, "001");
    EXPECT_EQ(settings.Bildqualitaet, "03");
    EXPECT_EQ(settings.MitUnterordner, "0");
    EXPECT_EQ(settings.Sprache, "D");
    EXPECT_TRUE(shown.empty());
    IniDatei(settings, context, "#WRITE");
    EXPECT_EQ(fileBytes(iniPath()), kDefaultFile);
    EXPECT_EQ(settingsKeys().size(), 18);
    EXPECT_EQ(settingsKeys().first(), "Editor");
}

TEST_F(SettingsFile, StoredValuesOverlayDefaultsWhateverTheCaseOrLineEnds)
{
    putFile(iniPath(), "[standard]\n\n  SPRACHE = GB\nBildgroesse=004\nthis is junk\n"
                       "CBZielVerzPlus = 1\n");
    settings.CBZielUeberschreiben = "1"; // no key in the file: keeps its value
    IniDatei(settings, context, "#READ");
    EXPECT_EQ(settings.Sprache, "GB");
    EXPECT_EQ(settings.Bildgroesse, "004");
    EXPECT_EQ(settings.CBZielVerzPlus, "1");
    EXPECT_EQ(settings.CBZielUeberschreiben, "1");
    EXPECT_EQ(settings.BildDatei, "*.jpg");
}

TEST_F(SettingsFile, MissingOverwriteKeyLeavesTheSwitchCleared)
{
    putFile(iniPath(), "\xEF\xBB\xBF[Standard]\r\nSprache = D\r\n");
    IniDatei(settings, context, "#READ");
    EXPECT_EQ(settings.CBZielUeberschreiben, "");
}

TEST_F(SettingsFile, GarbageFileReadsAsDefaults)
{
    putFile(iniPath(), QByteArray("\x00\xFF\xFE[[[=\x01\x02\r\r\n", 12) + QByteArray(5000, '\x9C'));
    IniDatei(settings, context, "#READ");
    EXPECT_EQ(settings.Bildgroesse, "001");
    EXPECT_EQ(settings.ZielSubVerz, "komp");
    EXPECT_TRUE(shown.empty());
}

TEST_F(SettingsFile, WriteKeepsUnknownKeysAndGroupsAndLeavesTheRecordAlone)
{
    putFile(iniPath(), "[STANDARD]\nSprache = GB\nFremd = 42\n[Andere]\nX = y\n");
    IniDatei(settings, context, "#READ");
    settings.Bildgroesse = "002";
    const Settings before = settings;
    IniDatei(settings, context, "#WRITE");
    EXPECT_EQ(settings.Bildgroesse, before.Bildgroesse);
    const QString written = QString::fromUtf8(fileBytes(iniPath()));
    EXPECT_TRUE(fileBytes(iniPath()).startsWith("\xEF\xBB\xBF[Standard]\r\n"));
    EXPECT_TRUE(written.contains("Fremd = 42\r\n"));
    EXPECT_TRUE(written.contains("[Andere]\r\nX = y\r\n"));
    EXPECT_TRUE(written.contains("Sprache = GB\r\n"));
    EXPECT_TRUE(written.contains("Bildgroesse = 002\r\n"));
    Settings reread;
    IniDatei(reread, context, "#READ");
    EXPECT_EQ(reread.Bildgroesse, "002");
    EXPECT_EQ(reread.Sprache, "GB");
}

// The Extra menu's choices have a group of their own, written once a choice
// was made (a file in which none was is the same as ever, see the first
// test) and from then on, so a choice taken back stays taken back.
TEST_F(SettingsFile, CopyChoicesLiveInTheirOwnGroup)
{
    IniDatei(settings, context, "#READ");
    settings.Extra.MetadatenBehalten = "1";
    settings.Extra.Kopieformat = "webp";
    IniDatei(settings, context, "#WRITE");
    EXPECT_EQ(fileBytes(iniPath()), kDefaultFile
                                        + "[Extra]\r\n"
                                          "MetadatenBehalten = 1\r\n"
                                          "OrtBehalten = 0\r\n"
                                          "Kopieformat = webp\r\n"
                                          "JpegOptimieren = 0\r\n");
    Settings reread;
    IniDatei(reread, context, "#READ");
    EXPECT_EQ(reread.Extra, settings.Extra);

    reread.Extra = {};
    IniDatei(reread, context, "#WRITE");
    Settings taken;
    taken.Extra.MetadatenBehalten = "1";
    IniDatei(taken, context, "#READ");
    EXPECT_EQ(taken.Extra, ExtraSettings{});
    EXPECT_TRUE(QString::fromUtf8(fileBytes(iniPath())).contains("MetadatenBehalten = 0\r\n"));
}

TEST_F(SettingsFile, ValuesKeepTheirBlanksFromOneRunToTheNext)
{
    IniDatei(settings, context, "#READ");
    settings.DateiPrefix = "Kopie ";
    settings.DateiSuffix = " _k";
    settings.ZielSubVerz = "  ";
    IniDatei(settings, context, "#WRITE");
    Settings reread;
    IniDatei(reread, context, "#READ");
    EXPECT_EQ(reread.DateiPrefix, "Kopie ");
    EXPECT_EQ(reread.DateiSuffix, " _k");
    EXPECT_EQ(reread.ZielSubVerz, "  ");
}

// A folder name may hold a line break; written as it is, it would end its
// line and the rest would be read as a key of its own.
TEST_F(SettingsFile, AValueWithALineBreakIsNotStoredAndInjectsNothing)
{
    putFile(iniPath(), "[Standard]\r\nQuellVerz = /home/u/Fotos/\r\n");
    IniDatei(settings, context, "#READ");
    settings.QuellVerz = "/home/u/a\nBildDateiEx = *\n/";
    settings.ZielVerz = "/home/u/b\r\nSprache = GB\r/";
    IniDatei(settings, context, "#WRITE");
    EXPECT_TRUE(shown.empty());
    const QByteArray written = fileBytes(iniPath());
    EXPECT_EQ(written.count('\n'), written.count("\r\n")) << written.toStdString();
    EXPECT_EQ(written.count('\r'), written.count("\r\n")) << written.toStdString();
    Settings reread;
    IniDatei(reread, context, "#READ");
    EXPECT_EQ(reread.QuellVerz, "/home/u/Fotos/"); // the folder stored before
    EXPECT_EQ(reread.ZielVerz, "");
    EXPECT_EQ(reread.BildDateiEx, "*NoPic*.jpg");
    EXPECT_EQ(reread.Sprache, "D");
}

TEST_F(SettingsFile, UnwritableFolderShowsTheMessageAndWritesNothing)
{
    putFile(dir.path() + "/plain", "x");
    context.uAktVerz = dir.path() + "/plain/";
    IniDatei(settings, context, "#WRITE");
    IniDatei(settings, context, "#WRITE");
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].title, "Vardolin");
    EXPECT_EQ(shown[0].text, "Ini-Datei konnte nicht erstellt werden !\r\n\r\n" + dir.path() + "/plain/Vardolin.ini");
    EXPECT_EQ(shown[0].flags, 0);
    EXPECT_EQ(fileBytes(dir.path() + "/plain"), "x");
}

TEST_F(SettingsFile, FolderInPlaceOfTheFileReadsAsDefaultsAndFailsToWrite)
{
    QDir(dir.path()).mkdir("Vardolin.ini");
    IniDatei(settings, context, "#READ");
    EXPECT_EQ(settings.Bildgroesse, "001");
    IniDatei(settings, context, "#WRITE");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].text.startsWith("Ini-Datei konnte nicht erstellt werden !"));
}

TEST_F(SettingsFile, UnknownModeShowsTheDefaultBranchMessage)
{
    IniDatei(settings, context, "#read");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "IniDatei: Fehler = Select Default-Zweig erreicht !(#read)");
    EXPECT_FALSE(QFile::exists(iniPath()));
}
