// vardolin-batch speaks the user's locale, one language per line, the
// picture engine's reasons included; the report's codes stay the same.

#include "CommandEnvironment.h"
#include "batch/BatchTesting.h"
#include "cli/EngineReasons.h"
#include "cli/Locale.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::batch::fixture;
using namespace vardolin::cli;
using util::Language;

namespace {

TEST(Locale, LcAllThenLcMessagesThenLang)
{
    const QString none;
    EXPECT_EQ(languageOfLocale(none, none, QStringLiteral("de_DE.UTF-8")), Language::German);
    EXPECT_EQ(languageOfLocale(none, QStringLiteral("de_AT@euro"), QStringLiteral("en_GB.UTF-8")), Language::German);
    EXPECT_EQ(languageOfLocale(QStringLiteral("C"), QStringLiteral("de"), QStringLiteral("de_DE")), Language::English)
        << "LC_ALL overrides the others";
    EXPECT_EQ(languageOfLocale(none, QStringLiteral("en_US.UTF-8"), QStringLiteral("de_DE.UTF-8")), Language::English);
    EXPECT_EQ(languageOfLocale(none, none, none), Language::English);
}

TEST(EngineReasons, SaidInGermanWithNumbersNamesAndLibraryWordsKept)
{
    const auto german = [](const char* english) {
        return engineReasonIn(QString::fromUtf8(english), Language::German);
    };
    EXPECT_EQ(german("not a picture file this program can read"),
              QStringLiteral("keine Bilddatei, die dieses Programm lesen kann"));
    EXPECT_EQ(german("picture too large: 100000 x 90000 pixels"),
              QStringLiteral("das Bild ist zu groß: 100000 x 90000 Pixel"));
    EXPECT_EQ(german("HEIF canvas 16384 x 12288 is not the stated size 64 x 48"),
              QStringLiteral("die HEIF-Leinwand 16384 x 12288 hat nicht die angegebene Größe 64 x 48"));
    EXPECT_EQ(german("WebP error: file cut short"), QStringLiteral("WebP-Fehler: die Datei ist abgeschnitten"));
    EXPECT_EQ(german("JPEG error: Premature end of JPEG file"),
              QStringLiteral("JPEG-Fehler: Premature end of JPEG file"));
    EXPECT_EQ(german("a profile for gray colours on RGB pixels"),
              QStringLiteral("ein Profil für Grau-Farben auf RGB-Pixeln"));
    EXPECT_EQ(german("the Exif block is damaged: nothing in it can be read"),
              QStringLiteral("der Exif-Block ist beschädigt: nichts darin ist lesbar"));
    EXPECT_EQ(german("something new: 42"), QStringLiteral("something new: 42")) << "unknown text stays as it is";
    EXPECT_EQ(engineReasonIn(QStringLiteral("picture too large: 1 x 2 pixels"), Language::English),
              QStringLiteral("picture too large: 1 x 2 pixels"));
}

class Speaking : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString work = dir.path() + QStringLiteral("/");
    QString fotos = work + QStringLiteral("Fotos/");

    struct Said {
        QString out;
        QString err;
        QJsonObject failed;  // the report's line of the file that failed
        QJsonObject damaged; // and of the one copied from a damaged file
    };

    Said runIn(const char* locale)
    {
        QProcess process;
        process.setWorkingDirectory(work);
        process.setProcessEnvironment(cli::testing::commandEnvironment(work + QStringLiteral("home/"), locale));
        const QString report =
            work + QStringLiteral("report-") + QString::fromLatin1(locale) + QStringLiteral(".jsonl");
        process.start(QStringLiteral(VARDOLIN_BATCH_EXE),
                      {QStringLiteral("--size=80,60"), QStringLiteral("--overwrite"), QStringLiteral("--report"),
                       report, fotos + QStringLiteral("*.jpg|*.png")});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 1);
        Said said{QString::fromUtf8(process.readAllStandardOutput()),
                  QString::fromUtf8(process.readAllStandardError()),
                  {},
                  {}};
        for (const QByteArray& line : readBytes(report).split('\n')) {
            const QJsonObject record = QJsonDocument::fromJson(line).object();
            if (record[QStringLiteral("source")].toString().endsWith(QStringLiteral("kaputt.jpg")))
                said.failed = record;
            if (record[QStringLiteral("source")].toString().endsWith(QStringLiteral("halb.png")))
                said.damaged = record;
        }
        return said;
    }
};

TEST_F(Speaking, EveryLineInTheLocalesLanguageAndTheReportsCodesInNone)
{
    writePicture(fotos + QStringLiteral("gut.jpg"), 400, 300);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("kaputt.jpg"), QByteArray(500, '\x11')));
    const QString broken = fotos + QStringLiteral("kaputt.jpg");
    QByteArray png = readBytes(QStringLiteral(VARDOLIN_TEST_DATA "/picture/png-photo.png"));
    png.truncate(png.size() * 3 / 5);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("halb.png"), png));
    const QString damaged = fotos + QStringLiteral("halb.png");

    const Said german = runIn(cli::testing::kGerman);
    EXPECT_TRUE(german.out.startsWith(QStringLiteral("Einstellungen: eingebaute Vorgaben\n"
                                                     "Dateiliste wird erstellt, bitte warten ...\n")))
        << german.out.toStdString();
    EXPECT_TRUE(german.out.endsWith(QStringLiteral("3 Dateien kopiert !\n")));
    const QString germanReason =
        QStringLiteral("konnte nicht geladen werden: keine Bilddatei, die dieses Programm lesen kann");
    EXPECT_TRUE(german.err.contains(QStringLiteral("Nicht kopiert: ") + broken + QStringLiteral(" : ") + germanReason))
        << german.err.toStdString();
    EXPECT_TRUE(german.err.contains(QStringLiteral("1 von 3 Dateien konnten nicht umgerechnet werden")));
    EXPECT_TRUE(german.err.contains(QStringLiteral("Bild unvollständig: ") + damaged
                                    + QStringLiteral(" : PNG: die PNG-Daten sind abgeschnitten\n")))
        << german.err.toStdString();

    const Said english = runIn(cli::testing::kEnglish);
    EXPECT_TRUE(english.out.startsWith(QStringLiteral("Settings: built-in defaults\n"
                                                      "Making the list of files, please wait ...\n")))
        << english.out.toStdString();
    EXPECT_TRUE(english.out.contains(QStringLiteral("Copying 1 of 3: ") + fotos));
    EXPECT_TRUE(english.out.endsWith(QStringLiteral("3 files copied\n")));
    EXPECT_TRUE(english.err.contains(QStringLiteral("Picture damaged: ") + damaged
                                     + QStringLiteral(" : PNG: truncated PNG data\n")))
        << english.err.toStdString();
    const QString englishReason = QStringLiteral("could not be loaded: not a picture file this program can read");
    EXPECT_TRUE(english.err.contains(QStringLiteral("Not copied: ") + broken + QStringLiteral(" : ") + englishReason))
        << english.err.toStdString();

    EXPECT_EQ(german.failed[QStringLiteral("outcome")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(english.failed[QStringLiteral("outcome")].toString(), QStringLiteral("failed"));
    EXPECT_EQ(german.failed[QStringLiteral("reason")].toString(), germanReason);
    EXPECT_EQ(english.failed[QStringLiteral("reason")].toString(), englishReason);
    // A library's warnings are kept in its own words, whatever the locale.
    const QJsonArray warnings{QStringLiteral("PNG: truncated PNG data")};
    EXPECT_EQ(german.damaged[QStringLiteral("warnings")].toArray(), warnings);
    EXPECT_EQ(english.damaged[QStringLiteral("warnings")].toArray(), warnings);
}

} // namespace
