#include "batch/BatchRun.h"

#include "BatchTesting.h"
#include "batch/SourceScan.h"
#include "batch/TempFiles.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::pictureSize;
using fixture::RecordingHost;
using fixture::writeBytes;
using fixture::writePicture;
using picture::Size;

namespace {

class BatchRun : public fixture::BatchFolder {
protected:
    void picture(const char* relative, int width = 40, int height = 30)
    {
        writePicture(source + QString::fromUtf8(relative), width, height);
    }
    RunReport run()
    {
        const auto before = fixture::snapshot(source);
        const RunReport report = BilderVerarbeiten(settings, host, options);
        EXPECT_TRUE(fixture::unchanged(before)) << "a source file changed";
        EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
        return report;
    }
    QString written(const char* relative) const { return source + QString::fromUtf8(relative); }
};

TEST_F(BatchRun, ModeOneStatusTextsAndCopies)
{
    picture("IMG_01.jpg", 400, 300);
    picture("IMG_02.jpg", 300, 400);
    const RunReport report = run();
    EXPECT_EQ(report.count, 2);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(host.statuses,
              (QStringList{QStringLiteral("Dateiliste wird erstellt, bitte warten ..."),
                           QStringLiteral("Kopiere 1 von 2 Datei:") + source + QStringLiteral("IMG_01.jpg"),
                           QStringLiteral("Kopiere 2 von 2 Datei:") + source + QStringLiteral("IMG_02.jpg"),
                           QStringLiteral("2 Dateien kopiert !")}));
    EXPECT_EQ(pictureSize(written("!k_IMG_01.jpg.JPG")), (Size{80, 60}));
    EXPECT_EQ(pictureSize(written("!k_IMG_02.jpg.JPG")), (Size{60, 80}));
    EXPECT_EQ(host.lastFinished, 2);
}

TEST_F(BatchRun, EmptyListReportsZero)
{
    ASSERT_TRUE(QDir().mkpath(source));
    run();
    EXPECT_EQ(host.statuses.back(), QStringLiteral("0 Dateien kopiert !"));
}

TEST_F(BatchRun, SecondRunWithoutOverwritingWritesNothingButReportsAll)
{
    picture("a.jpg");
    picture("b.jpg");
    run();
    const qint64 before = util::modificationTime(written("!k_a.jpg.JPG"));
    host.statuses.clear();
    const RunReport second = run();
    EXPECT_EQ(second.skipped, 2);
    EXPECT_EQ(host.statuses.back(), QStringLiteral("2 Dateien kopiert !"));
    EXPECT_EQ(util::modificationTime(written("!k_a.jpg.JPG")), before);
}

TEST_F(BatchRun, ModeThreeMakesTheSubfolderBesideEveryListedFile)
{
    picture("a.jpg");
    picture("Urlaub/b.jpg");
    settings.AusgabeOrdner = QStringLiteral("3");
    settings.MitUnterordner = QStringLiteral("1");
    EXPECT_EQ(run().written, 2);
    EXPECT_GT(util::sizeTest(written("komp/!k_a_k!.JPG")), 0);
    EXPECT_GT(util::sizeTest(written("Urlaub/komp/!k_b_k!.JPG")), 0);
}

TEST_F(BatchRun, ModeThreeSubfolderThatCannotBeMadeStopsTheRun)
{
    picture("a.jpg");
    ASSERT_TRUE(writeBytes(written("komp"), "a file in the way"));
    settings.AusgabeOrdner = QStringLiteral("3");
    const RunReport report = run();
    EXPECT_TRUE(report.subfolderFailed);
    EXPECT_EQ(report.reached, 0);
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("Konnte Unterverzeichnis ") + source
                                         + QStringLiteral("komp nicht anlegen !")});
    // Once the message is closed, the status line says how the run ended.
    EXPECT_EQ(host.statuses, (QStringList{QStringLiteral("Dateiliste wird erstellt, bitte warten ..."),
                                          QStringLiteral("Nicht gestartet: Unterverzeichnis konnte nicht angelegt "
                                                         "werden !")}));
}

TEST_F(BatchRun, ModeFourCarriesTheStructureOver)
{
    picture("a.jpg");
    picture("Urlaub/b.jpg");
    settings.AusgabeOrdner = QStringLiteral("4");
    settings.MitUnterordner = QStringLiteral("1");
    settings.ZielVerz = root + QStringLiteral("Klein/");
    settings.CBZielVerzPlus = QStringLiteral("1");
    host.targetItem = QStringLiteral("/Fotos/");
    EXPECT_EQ(run().written, 2);
    EXPECT_GT(util::sizeTest(root + QStringLiteral("Klein/Fotos/!k_a_k!.JPG")), 0);
    EXPECT_GT(util::sizeTest(root + QStringLiteral("Klein/Fotos/Urlaub/!k_b_k!.JPG")), 0);
}

TEST_F(BatchRun, ModeFourWithATargetThatCannotBeMadeFailsEachFile)
{
    picture("a.jpg");
    picture("Urlaub/b.jpg");
    ASSERT_TRUE(writeBytes(root + QStringLiteral("Klein"), "a file in the way"));
    settings.AusgabeOrdner = QStringLiteral("4");
    settings.MitUnterordner = QStringLiteral("1");
    settings.ZielVerz = root + QStringLiteral("Klein/");
    settings.CBZielVerzPlus = QStringLiteral("1");
    const RunReport report = run();
    EXPECT_EQ(report.failed, 2);
    EXPECT_EQ(host.logLines.size(), 2);
    EXPECT_EQ(host.statuses.back(), QStringLiteral("2 Dateien kopiert !"));
}

// The run converts what the scan counted: an excluded file is no source,
// whether the pattern or a marker file excludes it.
TEST_F(BatchRun, ExcludePatternAndMarkerFileApplyToTheRun)
{
    picture("NoPic1.jpg");
    picture("IMG.jpg");
    picture("Privat/IMG.jpg");
    ASSERT_TRUE(writeBytes(written("Privat/nopic.txt"), "marker"));
    settings.MitUnterordner = QStringLiteral("1");
    for (const char* exclude : {"*NoPic*.jpg", "nopic.txt"}) {
        SCOPED_TRACE(exclude);
        settings.BildDateiEx = QString::fromUtf8(exclude);
        settings.CBZielUeberschreiben = QStringLiteral("1");
        const RunReport report = run();
        EXPECT_EQ(report.count, 2);
        AktionQuelle(-1, settings, host);
        EXPECT_EQ(host.foundCount, report.count);
        const bool byPattern = exclude[0] == '*';
        EXPECT_EQ(util::sizeTest(written("!k_NoPic1.jpg.JPG")) > 0, !byPattern);
        EXPECT_EQ(util::sizeTest(written("Privat/!k_IMG.jpg.JPG")) > 0, byPattern);
        QFile::remove(written("!k_NoPic1.jpg.JPG"));
        QFile::remove(written("Privat/!k_IMG.jpg.JPG"));
    }
}

TEST_F(BatchRun, BadFilesAmongGoodOnesAreLoggedAndCounted)
{
    picture("a_good.jpg");
    ASSERT_TRUE(writeBytes(written("b_empty.jpg"), ""));
    ASSERT_TRUE(writeBytes(written("c_corrupt.jpg"), QByteArray(300, '\x42')));
    picture("d_good.jpg");
    ASSERT_TRUE(writeBytes(written("e_notes.txt.png"), "text, not a picture"));
    settings.BildDatei = QStringLiteral("*.jpg|*.png");
    const RunReport report = run();
    EXPECT_EQ(report.reached, 5);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.failed, 3);
    ASSERT_EQ(host.logLines.size(), 3);
    // two workers finish the bad files in either order; the log names each of them
    QStringList lines = host.logLines;
    lines.sort();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Nicht kopiert: ") + written("b_empty.jpg")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Nicht kopiert: ") + written("c_corrupt.jpg")));
    EXPECT_EQ(host.statuses.back(), QStringLiteral("5 Dateien kopiert !"));
}

// A profile is honoured in the copy; one that cannot be used is noted in the
// run log, and its file is copied as if it had none.
TEST_F(BatchRun, ColourProfilesAreAppliedAndUnusableOnesNoted)
{
    const QString data = QStringLiteral(VARDOLIN_TEST_DATA "/picture/");
    ASSERT_TRUE(writeBytes(written("a_swap.jpg"), fixture::readBytes(data + QStringLiteral("colour-swap.jpg"))));
    ASSERT_TRUE(writeBytes(written("b_broken.jpg"), fixture::readBytes(data + QStringLiteral("colour-broken.jpg"))));
    const RunReport report = run();
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(report.failed, 0);
    ASSERT_EQ(host.logLines.size(), 1);
    EXPECT_TRUE(host.logLines[0].startsWith(QStringLiteral("Farbprofil ignoriert: ") + written("b_broken.jpg")
                                            + QStringLiteral(" : ICC profile")))
        << host.logLines[0].toStdString();

    // The top-left block is red in the file's numbers, green in its colours.
    for (const char* copy : {"!k_a_swap.jpg.JPG", "!k_b_broken.jpg.JPG"}) {
        const auto loaded = picture::loadPicture(util::toFsPath(written(copy)));
        ASSERT_TRUE(loaded.ok()) << copy;
        const std::uint8_t* topLeft = loaded->picture.row(loaded->picture.height - 1);
        const bool green = topLeft[1] > 200 && topLeft[2] < 60;
        EXPECT_EQ(green, copy[3] == 'a') << copy << ": red " << int(topLeft[2]) << ", green " << int(topLeft[1]);
    }
}

// A photo cut short is copied from what it holds and named with the
// library's words.
TEST_F(BatchRun, DamagedPicturesAreCopiedAndNamedOrFailOnRequest)
{
    fixture::copyPictureFixture(QStringLiteral("jpeg-photo-cut-short.jpg"), written("a_cut.jpg"));
    QByteArray png = fixture::readBytes(QStringLiteral(VARDOLIN_TEST_DATA "/picture/png-photo.png"));
    ASSERT_TRUE(writeBytes(written("b_whole.png"), png));
    png.truncate(png.size() * 3 / 5);
    ASSERT_TRUE(writeBytes(written("c_cut.png"), png));
    settings.BildDatei = QStringLiteral("*.jpg|*.png");
    settings.AusgabeOrdner = QStringLiteral("3");

    RunReport report = run();
    EXPECT_EQ(report.written, 3);
    EXPECT_EQ(report.damaged, 2);
    QStringList lines = host.logLines;
    lines.sort();
    ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Bild unvollständig: ") + written("a_cut.jpg")
                                    + QStringLiteral(" : JPEG: Premature end of JPEG file")))
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], QStringLiteral("Bild unvollständig: ") + written("c_cut.png")
                            + QStringLiteral(" : PNG: truncated PNG data"));
    EXPECT_EQ(pictureSize(written("komp/!k_a_cut_k!.JPG")), (Size{90, 60}));

    // Asked to, the run fails them and makes no copy.
    ASSERT_TRUE(QDir(written("komp")).removeRecursively());
    options.failOnWarning = true;
    report = run();
    EXPECT_EQ(report.failed, 2);
    EXPECT_EQ(QDir(written("komp")).entryList(QDir::Files), QStringList{QStringLiteral("!k_b_whole_k!.PNG")});
}

TEST_F(BatchRun, FilesThatVanishOrTurnIntoFoldersDuringTheRunFail)
{
    picture("a.jpg");
    picture("b.jpg");
    picture("c.jpg");
    options.jobs = 1;
    host.onStatus = [this](const QString& text) {
        if (text.startsWith(QStringLiteral("Kopiere 1 "))) {
            QFile::remove(written("b.jpg"));
            QFile::remove(written("c.jpg"));
            QDir().mkpath(written("c.jpg"));
        }
    };
    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.reached, 3);
    EXPECT_EQ(report.written, 1);
    EXPECT_EQ(report.failed, 2);
    EXPECT_EQ(host.logLines.size(), 2);
    EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
}

TEST_F(BatchRun, SourceThatIsItsOwnCopyIsReportedFailed)
{
    picture("IMG.JPG");
    settings.AusgabeOrdner = QStringLiteral("2");
    settings.DateiSuffix.clear();
    settings.CBZielUeberschreiben = QStringLiteral("1");
    const RunReport report = run();
    EXPECT_EQ(report.failed, 1);
    EXPECT_EQ(host.logLines.size(), 1);
}

// The stop arrives as the second file finishes, while the others wait for a
// worker: none of them may start, and n counts the entries started.
TEST_F(BatchRun, StopFinishesTheFilesInProgressAndStartsNoNewOne)
{
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg", "g.jpg"})
        picture(name);
    settings.AusgabeOrdner = QStringLiteral("3");
    host.stopAfter = 2;
    for (const int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        ASSERT_TRUE(QDir(written("komp")).removeRecursively());
        host.lastFinished = 0;
        options.jobs = jobs;
        const RunReport report = run();
        EXPECT_TRUE(report.stopped);
        EXPECT_EQ(report.reached, 2 + jobs - 1); // the two finished and those in progress then
        EXPECT_EQ(report.written, report.reached);
        EXPECT_EQ(QDir(written("komp")).entryList(QDir::Files).size(), report.reached);
        EXPECT_EQ(host.statuses.back(), util::decimalText(report.reached) + QStringLiteral(" Dateien kopiert !"));
    }
}

// With mode 2 the copy of IMG_01.jpg is listed right after it; an empty one
// left from before is no source: its source's copy replaces it, on any
// number of workers, and it gets no copy of its own.
TEST_F(BatchRun, ACopyListedAfterItsSourceIsReplacedNotCopied)
{
    picture("IMG_01.jpg", 2400, 1800);
    ASSERT_TRUE(writeBytes(written("IMG_01_k!.JPG"), ""));
    picture("IMG_02.jpg", 2400, 1800);
    host.sizeItem = QStringLiteral("1-1200,900"); // a copy that takes a while
    settings.AusgabeOrdner = QStringLiteral("2");
    options.jobs = 3;
    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.failed, 0) << host.logLines.join(u'\n').toStdString();
    EXPECT_EQ(report.count, 2);
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(pictureSize(written("IMG_01_k!.JPG")), (Size{1200, 900}));
    EXPECT_FALSE(QFile::exists(written("IMG_01_k!_k!.JPG")));
}

// The same holds when the copy reaches the source folder by another
// spelling, here a link to it as the target folder of mode 4.
TEST_F(BatchRun, ACopyReachedThroughALinkIsNoSourceEither)
{
    picture("IMG_01.jpg", 2400, 1800);
    ASSERT_TRUE(writeBytes(written("IMG_01_k!.JPG"), ""));
    host.sizeItem = QStringLiteral("1-1200,900");
    ASSERT_TRUE(QFile::link(source, root + QStringLiteral("Link")));
    settings.AusgabeOrdner = QStringLiteral("4");
    settings.ZielVerz = root + QStringLiteral("Link/");
    settings.ImmerPrefix.clear();
    options.jobs = 3;
    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.failed, 0) << host.logLines.join(u'\n').toStdString();
    EXPECT_EQ(report.written, 1);
    EXPECT_EQ(pictureSize(written("IMG_01_k!.JPG")), (Size{1200, 900}));
    EXPECT_FALSE(QFile::exists(written("IMG_01_k!_k!.JPG")));
}

TEST_F(BatchRun, ManyFilesOnManyWorkersAllArrive)
{
    for (int i = 0; i < 40; ++i)
        writePicture(source + QStringLiteral("p%1.png").arg(i, 2, 10, QChar(u'0')), 30 + i, 20, picture::Format::Png);
    settings.BildDatei = QStringLiteral("*.png");
    settings.AusgabeOrdner = QStringLiteral("3");
    options.jobs = 4;
    const RunReport report = run();
    EXPECT_EQ(report.written, 40);
    EXPECT_EQ(host.lastFinished, 40);
    EXPECT_EQ(pictureSize(written("komp/!k_p39_k!.PNG")), (Size{207, 60})); // 69 x 20
}

TEST_F(BatchRun, TwoSourcesNamedOntoOneCopyAreMadeOneAfterTheOther)
{
    picture("a/IMG.jpg");
    picture("b/IMG.jpg");
    settings.AusgabeOrdner = QStringLiteral("4");
    settings.MitUnterordner = QStringLiteral("1");
    settings.ZielVerz = root + QStringLiteral("Klein/");
    ASSERT_TRUE(QDir().mkpath(settings.ZielVerz));
    const RunReport report = run();
    EXPECT_EQ(report.written, 1);
    EXPECT_EQ(report.skipped, 1);
}

// IMG.HEIC and IMG.JPG both name the copy IMG_k!.JPG. The HEIC comes first
// (sorted), so without overwriting its copy stays and the JPG is skipped;
// with overwriting the JPG's copy replaces it. Either way the log says so.
TEST_F(BatchRun, HeicAndJpgOfOneNameShareACopyAndTheLogSaysSo)
{
    fixture::copyPictureFixture(QStringLiteral("heic-blocks.heic"), source + QStringLiteral("IMG.HEIC"));
    picture("IMG.jpg", 40, 30);
    settings.BildDatei = QStringLiteral("*.jpg|*.heic");
    settings.AusgabeOrdner = QStringLiteral("2");

    RunReport report = run();
    EXPECT_EQ(report.written, 1);
    EXPECT_EQ(report.skipped, 1);
    EXPECT_EQ(pictureSize(written("IMG_k!.JPG")), (Size{90, 60})) << "the HEIC's copy (24 x 16)";
    ASSERT_EQ(host.logLines.size(), 1) << host.logLines.join(u'\n').toStdString();
    EXPECT_TRUE(host.logLines[0].startsWith(QStringLiteral("Nicht kopiert: ") + written("IMG.jpg")));
    EXPECT_TRUE(host.logLines[0].contains(written("IMG.HEIC")));

    QFile::remove(written("IMG_k!.JPG"));
    host.logLines.clear();
    settings.CBZielUeberschreiben = QStringLiteral("1");
    report = run();
    EXPECT_EQ(report.written, 2);
    EXPECT_EQ(pictureSize(written("IMG_k!.JPG")), (Size{80, 60})) << "the JPG's copy (40 x 30)";
    ASSERT_EQ(host.logLines.size(), 1) << host.logLines.join(u'\n').toStdString();
    EXPECT_TRUE(host.logLines[0].startsWith(QStringLiteral("Kopie ersetzt: ") + written("IMG.HEIC")));
}

// Temporary names are easy to foresee once one is seen. A link planted under
// the next one, to a file elsewhere, is neither written through nor removed,
// and the copy is made under a fresh name all the same.
TEST_F(BatchRun, ALinkPlantedUnderTheNextTemporaryNameIsNotWrittenThrough)
{
    picture("a.jpg");
    const QString victim = root + QStringLiteral("victim.txt");
    ASSERT_TRUE(writeBytes(victim, "keep me"));
    // .vardolin-<process>-<number>-<instance>-<host>.part
    const QStringList seen = util::nameOf(temporaryNameIn(source)).split(u'-');
    QStringList next = seen;
    next[2] = QString::number(seen[2].toLongLong() + 1);
    const QString planted = source + next.join(u'-');
    ASSERT_TRUE(QFile::link(victim, planted));
    options.jobs = 1;

    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.written, 1) << host.logLines.join(u'\n').toStdString();
    EXPECT_EQ(fixture::readBytes(victim), "keep me");
    EXPECT_EQ(QFileInfo(planted).symLinkTarget(), victim);
    EXPECT_EQ(pictureSize(written("!k_a.jpg.JPG")), (Size{80, 60}));
    QFile::remove(planted);
    EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
}

TEST_F(BatchRun, LeftoverTemporariesOfEndedRunsAreRemoved)
{
    picture("a.jpg");
    const QString stale = source + QStringLiteral(".vardolin-999999999-1.part");
    const QString ours = temporaryNameIn(source);
    ASSERT_TRUE(writeBytes(stale, "half"));
    ASSERT_TRUE(writeBytes(ours, "in progress"));
    BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(util::sizeTest(stale), -1);
    EXPECT_GT(util::sizeTest(ours), 0); // its writer is alive
    QFile::remove(ours);
}

// Machines that share a folder know nothing of each other's processes: a
// temporary of another host is left alone while it may still be written,
// whatever process numbers this host has.
TEST_F(BatchRun, TemporariesOfAnotherHostAreRemovedOnlyWhenAbandoned)
{
    picture("a.jpg");
    const QString fresh = source + QStringLiteral(".vardolin-999999999-1-00000000000000ab-other-host.part");
    const QString old = source + QStringLiteral(".vardolin-999999999-2-00000000000000ab-other-host.part");
    ASSERT_TRUE(writeBytes(fresh, "in progress elsewhere"));
    ASSERT_TRUE(writeBytes(old, "left behind"));
    ASSERT_TRUE(util::setModificationTime(old, util::modificationTime(old) - 2 * 3600));
    BilderVerarbeiten(settings, host, options);
    EXPECT_GT(util::sizeTest(fresh), 0);
    EXPECT_EQ(util::sizeTest(old), -1);
}

} // namespace
