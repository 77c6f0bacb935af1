// vardolin-batch started as a real process: exit codes, settings and list
// files, standard error, and what a kill in the middle leaves behind.

#include "CommandEnvironment.h"
#include "batch/BatchTesting.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <vector>

#ifndef _WIN32
#include <sys/types.h>
#endif

using namespace vardolin;
using namespace vardolin::batch::fixture;
using namespace vardolin::cli::testing;

namespace {

struct Finished {
    int code = -1;
    QString out;
    QString err;
};

class BatchCommand : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString work = dir.path() + QStringLiteral("/");
    QString fotos = work + QStringLiteral("Fotos/");
    QString home = work + QStringLiteral("home/");
    QString locale = QString::fromLatin1(kGerman);

    Finished run(const QStringList& arguments, int timeoutMs = 120000)
    {
        QProcess process;
        process.setWorkingDirectory(work);
        process.setProcessEnvironment(commandEnvironment(home, locale.toLatin1().constData()));
        process.start(QStringLiteral(VARDOLIN_BATCH_EXE), arguments);
        EXPECT_TRUE(process.waitForFinished(timeoutMs));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

// Started in a folder of other people's files, with no settings anywhere,
// it writes its copies and nothing else: no settings or list file, here or
// in the home folder.
TEST_F(BatchCommand, WritesEveryCopyAndNothingElse)
{
    writePicture(fotos + QStringLiteral("a.jpg"), 400, 300);
    writePicture(fotos + QStringLiteral("b.png"), 300, 400, picture::Format::Png);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("notes.txt"), "not a picture"));
    ASSERT_TRUE(writeBytes(work + QStringLiteral("Brief.odt"), "someone's letter"));
    ASSERT_TRUE(QDir().mkpath(home));
    const auto before = snapshot(work);

    const Finished done = run({QStringLiteral("--size"), QStringLiteral("80,60"), fotos});
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_TRUE(done.out.startsWith(QStringLiteral("Einstellungen: eingebaute Vorgaben\n"
                                                   "Dateiliste wird erstellt, bitte warten ...\n")))
        << done.out.toStdString();
    EXPECT_TRUE(done.out.contains(QStringLiteral("Kopiere 1 von 3 Datei:") + fotos + QStringLiteral("a.jpg\n")));
    EXPECT_TRUE(done.out.endsWith(QStringLiteral("3 Dateien kopiert !\n")));
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("!k_a.jpg.JPG")), (picture::Size{80, 60}));
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("!k_b.png.PNG")), (picture::Size{60, 80}));
    EXPECT_TRUE(unchanged(before));
    auto after = snapshot(work);
    EXPECT_EQ(after.size(), before.size() + 2) << "only the two copies are new";
}

TEST_F(BatchCommand, ReadsTheSettingsFileAndLeavesItAsItWas)
{
    writePicture(fotos + QStringLiteral("IMG_01.jpg"), 1000, 750);
    const QByteArray ini = "\xef\xbb\xbf[Standard]\r\nQuellVerz = " + fotos.toUtf8()
                           + "\r\nBildgroesse = 002\r\nAusgabeOrdner = 2\r\nBildDatei = *.JPG\r\n";
    ASSERT_TRUE(writeBytes(work + QStringLiteral("Vardolin.ini"), ini));
    const Finished done = run({fotos});
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_TRUE(done.out.startsWith(QStringLiteral("Einstellungen: ") + work + QStringLiteral("Vardolin.ini\n")));
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("IMG_01_k!.JPG")), (picture::Size{500, 375}));
    EXPECT_EQ(readBytes(work + QStringLiteral("Vardolin.ini")), ini);
}

// A settings file is read where the window keeps it, or where it is named,
// never by accident: a working folder without one does not make the run
// take another folder's, --no-settings ignores them all, and every switch
// a file turns on can be turned off for the run.
TEST_F(BatchCommand, SettingsAreReadOnPurposeAndEverySwitchCanBeTurnedOff)
{
    writePicture(fotos + QStringLiteral("a.jpg"), 400, 300);
    const QString source = fotos + QStringLiteral("a.jpg");
    const QString copy = fotos + QStringLiteral("a_k!.JPG");
    const QString config = home + QStringLiteral(".config/vardolin/");
    ASSERT_TRUE(writeBytes(config + QStringLiteral("Vardolin.ini"),
                           "[Standard]\r\nAusgabeOrdner = 2\r\nCBZielUeberschreiben = 1\r\n"));
    ASSERT_TRUE(writeBytes(config + QStringLiteral("Vardolin_size.txt"), "100,45\r\n"));

    Finished done = run({source});
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_TRUE(done.out.startsWith(QStringLiteral("Einstellungen: ") + config + QStringLiteral("Vardolin.ini\n")));
    EXPECT_EQ(pictureSize(copy), (picture::Size{60, 45})) << "mode and size list of the window's folder";

    ASSERT_TRUE(writeBytes(copy, "kept"));
    EXPECT_EQ(run({QStringLiteral("--no-overwrite"), source}).code, 0);
    EXPECT_EQ(readBytes(copy), "kept");
    done = run({QStringLiteral("--no-settings"), QStringLiteral("--mode=2"), source});
    EXPECT_TRUE(done.out.startsWith(QStringLiteral("Einstellungen: eingebaute Vorgaben\n")));
    EXPECT_EQ(readBytes(copy), "kept") << "the built-in defaults overwrite nothing";

    // A settings file in the working folder is the one.
    ASSERT_TRUE(writeBytes(work + QStringLiteral("Vardolin.ini"), "[Standard]\r\nAusgabeOrdner = 1\r\n"));
    EXPECT_EQ(run({QStringLiteral("--size=80,60"), source}).code, 0);
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("!k_a.jpg.JPG")), (picture::Size{80, 60}));
    EXPECT_EQ(readBytes(copy), "kept");

    // One named on the command line must be there to be read.
    done = run({QStringLiteral("--settings"), config + QStringLiteral("Vardolin.ini"), source});
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_EQ(pictureSize(copy), (picture::Size{60, 45})) << "overwritten, with the size list beside that file";
    done = run({QStringLiteral("--settings"), work + QStringLiteral("fehlt.ini"), source});
    EXPECT_EQ(done.code, 3);
    EXPECT_TRUE(done.err.contains(work + QStringLiteral("fehlt.ini"))) << done.err.toStdString();
    EXPECT_EQ(run({QStringLiteral("--settings=x.ini"), QStringLiteral("--no-settings"), source}).code, 2);
}

// Runs started at once in one folder, as a script's loop with "&" starts
// them: none reads a file another is writing, each succeeds, and the folder
// holds nothing afterwards but the sources and their copies.
TEST_F(BatchCommand, EightRunsAtOnceInOneFolderAllSucceed)
{
    for (int i = 0; i < 4; ++i)
        writePicture(fotos + QStringLiteral("IMG_%1.jpg").arg(i), 40, 30);
    const auto sources = snapshot(work);
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (int k = 0; k < 8; ++k) {
            auto process = std::make_unique<QProcess>();
            process->setWorkingDirectory(work);
            process->setProcessEnvironment(commandEnvironment(home));
            process->start(QStringLiteral(VARDOLIN_BATCH_EXE),
                           {QStringLiteral("--overwrite"), fotos + QStringLiteral("IMG_*.jpg")});
            runs.push_back(std::move(process));
        }
        for (auto& process : runs) {
            ASSERT_TRUE(process->waitForFinished(120000));
            EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        }
    }
    EXPECT_TRUE(unchanged(sources));
    const auto after = snapshot(work);
    EXPECT_EQ(after.size(), sources.size() * 2) << QStringList(after.keys()).join(u' ').toStdString();
    for (const QString& file : after.keys()) {
        if (!sources.contains(file)) {
            EXPECT_EQ(pictureSize(file), (picture::Size{400, 300})) << file.toStdString();
        }
    }
}

TEST_F(BatchCommand, FailedFilesAreNamedOnStandardErrorAndExitOne)
{
    writePicture(fotos + QStringLiteral("good.jpg"), 40, 30);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("broken.jpg"), QByteArray(500, '\x11')));
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("zero.jpg"), ""));
    const Finished done = run({QStringLiteral("--size=80,60"), fotos + QStringLiteral("*.jpg")});
    EXPECT_EQ(done.code, 1);
    EXPECT_TRUE(done.err.contains(QStringLiteral("Nicht kopiert: ") + fotos + QStringLiteral("broken.jpg : ")));
    EXPECT_TRUE(done.err.contains(QStringLiteral("Nicht kopiert: ") + fotos + QStringLiteral("zero.jpg : ")));
    EXPECT_TRUE(done.out.endsWith(QStringLiteral("3 Dateien kopiert !\n")));
    EXPECT_GT(QFileInfo(fotos + QStringLiteral("!k_good.jpg.JPG")).size(), 0);
}

// The window offers only folders that exist; on the command line a new one
// is made, levels above it included, and the status line says so.
TEST_F(BatchCommand, TargetFolderThatDoesNotExistIsMade)
{
    writePicture(fotos + QStringLiteral("a.jpg"), 400, 300);
    const QString target = work + QStringLiteral("Klein/2024/");
    const Finished done = run({QStringLiteral("--size=80,60"), QStringLiteral("--target"), target, fotos});
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_TRUE(done.out.startsWith(QStringLiteral("Einstellungen: eingebaute Vorgaben\nZielordner angelegt: ") + target
                                    + u'\n'))
        << done.out.toStdString();
    EXPECT_EQ(pictureSize(target + QStringLiteral("!k_a_k!.JPG")), (picture::Size{80, 60}));

    // A target that cannot be made: the run does not start, and a dry run
    // foretells it with the same words and exit status.
    ASSERT_TRUE(writeBytes(work + QStringLiteral("Datei"), "a file in the way"));
    for (const QString& dry : {QStringLiteral("--dry-run"), QStringLiteral("--quality=3")}) {
        const Finished blocked = run({dry, QStringLiteral("--size=80,60"), QStringLiteral("--target"),
                                      work + QStringLiteral("Datei/neu"), fotos});
        EXPECT_EQ(blocked.code, 3) << dry.toStdString();
        EXPECT_EQ(blocked.err, QStringLiteral("vardolin-batch: der Zielordner kann nicht angelegt werden: ") + work
                                   + QStringLiteral("Datei/neu/\n"));
        EXPECT_FALSE(blocked.out.contains(QStringLiteral("Kopiere ")) || blocked.out.contains(QStringLiteral(" -> ")));
    }
}

// So does a mode-3 subfolder that cannot be made.
TEST_F(BatchCommand, SubfolderThatCannotBeMadeStopsDryRunAndRunAlike)
{
    writePicture(fotos + QStringLiteral("a.jpg"), 40, 30);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("komp"), "a file in the way"));
    const QString message =
        QStringLiteral("Vardolin: Konnte Unterverzeichnis ") + fotos + QStringLiteral("komp nicht anlegen !\n");
    const Finished dry = run({QStringLiteral("--dry-run"), QStringLiteral("--mode=3"), fotos});
    EXPECT_EQ(dry.code, 3);
    EXPECT_EQ(dry.err, message);
    const Finished real = run({QStringLiteral("--mode=3"), fotos});
    EXPECT_EQ(real.code, 3);
    EXPECT_EQ(real.err, message);
    EXPECT_TRUE(
        real.out.endsWith(QStringLiteral("Nicht gestartet: Unterverzeichnis konnte nicht angelegt werden !\n")));
}

TEST_F(BatchCommand, BadUsageExitsTwo)
{
    // One line says what is wrong and one where the help is; the help itself
    // would bury it.
    locale = QString::fromLatin1(kEnglish);
    const Finished bad = run({QStringLiteral("--mode"), QStringLiteral("9"), fotos});
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(bad.err, QStringLiteral("vardolin-batch: --mode wants 1, 2, 3 or 4\n"
                                      "Try 'vardolin-batch --help' for more information.\n"));
    EXPECT_EQ(bad.out, QString());
    const Finished missing = run({work + QStringLiteral("missing/*.jpg")});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("missing")));
    EXPECT_EQ(run({QStringLiteral("--version")}).code, 0);

    // Called bare it converts nothing, not even the working folder.
    writePicture(work + QStringLiteral("a.jpg"), 40, 30);
    const auto before = snapshot(work);
    const Finished bare = run({QStringLiteral("--size=80,60")});
    EXPECT_EQ(bare.code, 2);
    EXPECT_EQ(bare.err, QStringLiteral("Usage: vardolin-batch [OPTION]... PATH  (more with --help)\n"));
    EXPECT_TRUE(unchanged(before));
    EXPECT_EQ(snapshot(work).size(), before.size());
}

// --list, --dry-run and the run take the same files: the exclude pattern
// applies, and the copy an earlier run made is no source.
TEST_F(BatchCommand, ListDryRunAndRunTakeTheSameFiles)
{
    for (const char* name : {"A.jpg", "b.jpg", "NoPic1.jpg", "sub/c.jpg"})
        writePicture(fotos + QString::fromUtf8(name), 40, 30);
    writePicture(fotos + QStringLiteral("b_k!.JPG"), 80, 60);
    const QStringList sources{fotos + QStringLiteral("A.jpg"), fotos + QStringLiteral("b.jpg"),
                              fotos + QStringLiteral("sub/c.jpg")};
    const QStringList common{QStringLiteral("--mode=2"), QStringLiteral("--size=80,60"), QStringLiteral("--subfolders"),
                             fotos + QStringLiteral("*.jpg")};

    const QString settingsLine = QStringLiteral("Einstellungen: eingebaute Vorgaben\n");
    const Finished list = run(QStringList{QStringLiteral("--list")} + common);
    EXPECT_EQ(list.out, settingsLine + sources.join(u'\n') + QStringLiteral("\n3 Dateien gefunden !\n"));
    const Finished dry = run(QStringList{QStringLiteral("--dry-run")} + common);
    ASSERT_TRUE(dry.out.startsWith(settingsLine)) << dry.out.toStdString();
    QStringList planned;
    for (const QString& line : dry.out.mid(settingsLine.size()).split(u'\n', Qt::SkipEmptyParts))
        planned.append(line.section(QStringLiteral(" -> "), 0, 0));
    EXPECT_EQ(planned, sources);
    for (int again = 0; again < 2; ++again) {
        const Finished done = run(common);
        EXPECT_EQ(done.code, 0) << done.err.toStdString();
        EXPECT_TRUE(done.out.contains(QStringLiteral("Kopiere 3 von 3 Datei:") + sources[2]));
        EXPECT_TRUE(done.out.endsWith(QStringLiteral("\n3 Dateien kopiert !\n")));
    }
    EXPECT_FALSE(QFile::exists(fotos + QStringLiteral("b_k!_k!.JPG")));
    EXPECT_FALSE(QFile::exists(fotos + QStringLiteral("NoPic1_k!.JPG")));
}

TEST_F(BatchCommand, ListShowsWhatTheScanCountsAndConvertsNothing)
{
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("b.jpg"), "x"));
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("A.jpg"), "x"));
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("NoPic1.jpg"), "x"));
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("sub/c.jpg"), "x"));
    const Finished done =
        run({QStringLiteral("--list"), QStringLiteral("--quiet"), QStringLiteral("--subfolders"), fotos});
    EXPECT_EQ(done.code, 0);
    EXPECT_EQ(done.out, fotos + QStringLiteral("A.jpg\n") + fotos + QStringLiteral("b.jpg\n") + fotos
                            + QStringLiteral("sub/c.jpg\n3 Dateien gefunden !\n"));
    EXPECT_EQ(snapshot(fotos).size(), 4);
}

#ifndef _WIN32
// Folders named in bytes that are not UTF-8, as an old archive leaves them,
// one with a "|" as well, reached from a working folder that is not UTF-8
// either; the shell hands their names over unchanged.
TEST_F(BatchCommand, NamesThatAreNotUtf8ReachTheirFilesAndArePrintedAsTheyAre)
{
    struct Cleanup {
        QString folder;
        ~Cleanup() { removeAllBelow(folder); } // QTemporaryDir cannot remove them
    } cleanup{work};
    const QByteArray working = QFile::encodeName(work) + "arbeit-\xE4/";
    const QByteArray folder = working + "Fotos|alt-\xF6/";
    std::filesystem::create_directories(folder.toStdString());
    writePicture(work + QStringLiteral("plain.jpg"), 400, 300);
    std::filesystem::rename(QFile::encodeName(work + QStringLiteral("plain.jpg")).toStdString(),
                            (folder + "latin1-\xE4\xF6.jpg").toStdString());
    const auto runInWorking = [&](const QString& options) {
        QProcess process;
        process.setProcessEnvironment(commandEnvironment(home));
        process.start(QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("cd \"$1\"arbeit-*/ && exec \"$0\" %1 \"$PWD/Fotos|alt-\"*/").arg(options),
                       QStringLiteral(VARDOLIN_BATCH_EXE), work});
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput();
    };

    EXPECT_TRUE(runInWorking(QStringLiteral("--list -q")).startsWith(folder + "latin1-\xE4\xF6.jpg\n"));
    EXPECT_TRUE(
        runInWorking(QStringLiteral("--size=80,60 --mode=2")).startsWith("Einstellungen: eingebaute Vorgaben\n"));
    const auto isFile = [](const QByteArray& path) { return std::filesystem::is_regular_file(path.toStdString()); };
    EXPECT_TRUE(isFile(folder + "latin1-\xE4\xF6_k!.JPG"));
}

// The copies of identical sources are identical, so each copy that exists
// after a kill must equal one made by a complete run.
TEST_F(BatchCommand, KillInTheMiddleLeavesNoPartialCopy)
{
    const QString reference = work + QStringLiteral("reference/");
    writePicture(reference + QStringLiteral("IMG.jpg"), 2400, 1800);
    const QByteArray picture = readBytes(reference + QStringLiteral("IMG.jpg"));
    constexpr int files = 16; // enough to be mid-run at the kill, few enough for the sanitizer build
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(writeBytes(fotos + QStringLiteral("IMG_%1.jpg").arg(i, 2, 10, QChar(u'0')), picture));
    const QStringList options{QStringLiteral("--size=1600,1200"), QStringLiteral("--mode=3"),
                              QStringLiteral("--jobs=2")};
    ASSERT_EQ(run(options + QStringList{reference}).code, 0);
    const QByteArray complete = readBytes(reference + QStringLiteral("komp/!k_IMG_k!.JPG"));
    ASSERT_FALSE(complete.isEmpty());

    QProcess process;
    process.setWorkingDirectory(work);
    process.setProcessEnvironment(commandEnvironment(home));
    process.start(QStringLiteral(VARDOLIN_BATCH_EXE), options + QStringList{fotos});
    ASSERT_TRUE(process.waitForStarted());
    const QString komp = fotos + QStringLiteral("komp/");
    for (int waited = 0; waited < 60000 && QDir(komp).entryList(QDir::Files).size() < 3; waited += 5)
        QThread::msleep(5);
    ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished();

    const QStringList copies = QDir(komp).entryList({QStringLiteral("!k_*")}, QDir::Files);
    EXPECT_LT(copies.size(), files) << "the run ended before the kill";
    for (const QString& copy : copies)
        EXPECT_EQ(readBytes(komp + copy), complete) << copy.toStdString();

    const Finished again = run(options + QStringList{fotos});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(temporariesBelow(work).isEmpty());
    const QStringList all = QDir(komp).entryList({QStringLiteral("!k_*")}, QDir::Files);
    EXPECT_EQ(all.size(), files);
    for (const QString& copy : all)
        EXPECT_EQ(readBytes(komp + copy), complete) << copy.toStdString();
}

// Waits, up to a minute, until the run has written its first "!k_" copy.
void waitForTheFirstCopyIn(const QString& fotos)
{
    for (int waited = 0; waited < 60000 && QDir(fotos).entryList({QStringLiteral("!k_*")}, QDir::Files).isEmpty();
         waited += 5)
        QThread::msleep(5);
}

// The first stop signal lets the files in progress finish and starts none;
// then the process ends by that signal, so a shell sees 143 (or 130) and a
// script's loop or set -e stops.
TEST_F(BatchCommand, StopSignalFinishesTheFilesInProgressThenEndsByIt)
{
    writePicture(work + QStringLiteral("one.jpg"), 2400, 1800);
    const QByteArray picture = readBytes(work + QStringLiteral("one.jpg"));
    constexpr int files = 40;
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(writeBytes(fotos + QStringLiteral("IMG_%1.jpg").arg(i, 2, 10, QChar(u'0')), picture));
    const auto before = snapshot(fotos);
    const QString report = work + QStringLiteral("run.jsonl");

    QProcess process;
    process.setWorkingDirectory(work);
    process.setProcessEnvironment(commandEnvironment(home, kEnglish));
    process.start(QStringLiteral(VARDOLIN_BATCH_EXE), {QStringLiteral("--size=1600,1200"), QStringLiteral("--jobs=2"),
                                                       QStringLiteral("--report"), report, fotos});
    ASSERT_TRUE(process.waitForStarted());
    waitForTheFirstCopyIn(fotos);
    ::kill(pid_t(process.processId()), SIGTERM);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(process.exitCode(), SIGTERM);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("stopped after")));
    const QStringList copies = QDir(fotos).entryList({QStringLiteral("!k_*")}, QDir::Files);
    EXPECT_LT(copies.size(), files);
    for (const QString& copy : copies)
        EXPECT_EQ(pictureSize(fotos + copy), (picture::Size{1600, 1200})) << copy.toStdString();
    EXPECT_EQ(readBytes(report).count('\n'), copies.size()) << "a finished file without its report line";
    EXPECT_TRUE(temporariesBelow(fotos).isEmpty());
    EXPECT_TRUE(unchanged(before));
}

// A second one does not wait: the copies in progress are given up, their
// temporary files removed, and the process ends by the signal at once.
TEST_F(BatchCommand, SecondStopSignalRemovesTheTemporariesAndEndsAtOnce)
{
    copyPictureFixture(QStringLiteral("png-photo.png"), fotos + QStringLiteral("big.png"));
    QProcess process;
    process.setWorkingDirectory(work);
    process.setProcessEnvironment(commandEnvironment(home, kGerman));
    // Enlarged to 12 megapixels, the PNG copy takes a while to write.
    process.start(QStringLiteral(VARDOLIN_BATCH_EXE), {QStringLiteral("--size=4000,3000"), fotos});
    ASSERT_TRUE(process.waitForStarted());
    for (int waited = 0; waited < 60000 && temporariesBelow(fotos).isEmpty(); waited += 1)
        QThread::msleep(1);
    ASSERT_FALSE(temporariesBelow(fotos).isEmpty()) << "no copy was in progress";
    ::kill(pid_t(process.processId()), SIGINT);
    // Two signals sent at once would arrive as one: the second follows the
    // notice of the first, said in the locale's language.
    process.setReadChannel(QProcess::StandardError);
    QByteArray notice;
    while (!notice.contains("Halte nach den laufenden Dateien an") && process.waitForReadyRead(60000))
        notice += process.readAllStandardError();
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(process.exitCode(), SIGINT);
    EXPECT_TRUE(temporariesBelow(fotos).isEmpty());
    EXPECT_TRUE(QDir(fotos).entryList({QStringLiteral("!k_*")}, QDir::Files).isEmpty());
}

// nohup, a background job of a shell without job control, a scheduler: a
// signal the parent set to be ignored is ignored here as well.
TEST_F(BatchCommand, SignalTheParentIgnoresStaysIgnored)
{
    writePicture(work + QStringLiteral("one.jpg"), 2400, 1800);
    const QByteArray picture = readBytes(work + QStringLiteral("one.jpg"));
    constexpr int files = 6;
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(writeBytes(fotos + QStringLiteral("IMG_%1.jpg").arg(i), picture));
    QProcess process;
    process.setWorkingDirectory(work);
    process.setProcessEnvironment(commandEnvironment(home));
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("trap '' INT; exec \"$0\" \"$@\""),
                                              QStringLiteral(VARDOLIN_BATCH_EXE), QStringLiteral("--size=1600,1200"),
                                              QStringLiteral("--jobs=1"), fotos});
    ASSERT_TRUE(process.waitForStarted());
    waitForTheFirstCopyIn(fotos);
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(QDir(fotos).entryList({QStringLiteral("!k_*")}, QDir::Files).size(), files);
}

#endif // signals are POSIX

} // namespace
