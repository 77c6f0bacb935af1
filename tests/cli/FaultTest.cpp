// vardolin-batch against faults around it: killed at random moments over a
// large batch again and again, a working folder it cannot write, a settings
// file it cannot read. Settings, list and source files never change, and no
// copy under its final name is ever partial.

#include "CommandEnvironment.h"
#include "batch/BatchTesting.h"
#include "util/SmallDisk.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <random>

using namespace vardolin;
using namespace vardolin::batch::fixture;
using vardolin::testing::SmallDisk;

namespace {

const QByteArray kSettings = "\xEF\xBB\xBF[Einstellungen]\r\nBildgroesse = 2\r\nSprache = D\r\n"
                             "; kept as it is\r\n[Eigenes]\r\nschluessel = wert\r\n";
const QByteArray kSizes = "320,240\r\n800,600\r\n\r\n";
const QByteArray kQualities = "gut\r\nbeste\r\n";

class BatchCommandFault : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString work = dir.path() + QStringLiteral("/");
    QString fotos = work + QStringLiteral("Fotos/");

    void writeSettingsAndLists(const QString& folder)
    {
        ASSERT_TRUE(writeBytes(folder + QStringLiteral("Vardolin.ini"), kSettings));
        ASSERT_TRUE(writeBytes(folder + QStringLiteral("Vardolin_size.txt"), kSizes));
        ASSERT_TRUE(writeBytes(folder + QStringLiteral("Vardolin_quali.txt"), kQualities));
    }
    void expectSettingsAndListsIntact(const QString& folder)
    {
        EXPECT_EQ(readBytes(folder + QStringLiteral("Vardolin.ini")), kSettings);
        EXPECT_EQ(readBytes(folder + QStringLiteral("Vardolin_size.txt")), kSizes);
        EXPECT_EQ(readBytes(folder + QStringLiteral("Vardolin_quali.txt")), kQualities);
    }
    int run(const QString& workingFolder, const QStringList& arguments, QString* err = nullptr,
            const QString& program = QStringLiteral(VARDOLIN_BATCH_EXE), QStringList prefix = {},
            QString* out = nullptr)
    {
        QProcess process;
        process.setWorkingDirectory(workingFolder);
        process.setProcessEnvironment(cli::testing::commandEnvironment(work + QStringLiteral("home/")));
        if (prefix.isEmpty()) {
            process.start(program, arguments);
        } else {
            const QString first = prefix.takeFirst();
            process.start(first, prefix + QStringList{program} + arguments);
        }
        EXPECT_TRUE(process.waitForFinished(180000));
        if (err)
            *err = QString::fromUtf8(process.readAllStandardError());
        if (out)
            *out = QString::fromUtf8(process.readAllStandardOutput());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

// The copies of identical sources are identical, so every copy under its
// final name must equal the one a complete run makes.
TEST_F(BatchCommandFault, KilledAtRandomMomentsAgainAndAgainLosesNothing)
{
    writeSettingsAndLists(work);
    const QString reference = work + QStringLiteral("reference/");
    writePicture(reference + QStringLiteral("IMG.jpg"), 1600, 1200);
    const QByteArray picture = readBytes(reference + QStringLiteral("IMG.jpg"));
    constexpr int files = 80;
    for (int i = 0; i < files; ++i)
        ASSERT_TRUE(writeBytes(fotos + QStringLiteral("IMG_%1.jpg").arg(i, 2, 10, QChar(u'0')), picture));
    // Mode 3 puts the copies in a subfolder, out of the next run's way.
    const QStringList options{QStringLiteral("--size=800,600"), QStringLiteral("--mode=3"), QStringLiteral("--jobs=2")};
    const QString komp = fotos + QStringLiteral("komp/");
    ASSERT_EQ(run(work, options + QStringList{reference}), 0);
    const QByteArray complete = readBytes(reference + QStringLiteral("komp/!k_IMG_k!.JPG"));
    ASSERT_FALSE(complete.isEmpty());
    const auto sources = snapshot(fotos);

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    // Each round kills after a random number of new copies (none: during the
    // scan or the first file) and a random moment more, so the kills land
    // anywhere in the run while it still has files to do.
    std::uniform_int_distribution<int> copiesToWaitFor(0, 6);
    std::uniform_int_distribution<int> moment(0, 30);
    SCOPED_TRACE("seed " + std::to_string(seed));
    const auto copiesMade = [&] { return QDir(komp).entryList({QStringLiteral("!k_*")}, QDir::Files).size(); };
    for (int round = 0; round < 6; ++round) {
        const qsizetype killAt = copiesMade() + copiesToWaitFor(random);
        QProcess process;
        process.setWorkingDirectory(work);
        process.setProcessEnvironment(cli::testing::commandEnvironment(work + QStringLiteral("home/")));
        process.start(QStringLiteral(VARDOLIN_BATCH_EXE), options + QStringList{fotos});
        ASSERT_TRUE(process.waitForStarted());
        for (int waited = 0; waited < 60000 && copiesMade() < killAt && process.state() == QProcess::Running;
             waited += 2)
            QThread::msleep(2);
        QThread::msleep(unsigned(moment(random)));
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished();

        for (const QString& copy : QDir(komp).entryList({QStringLiteral("!k_*")}, QDir::Files))
            EXPECT_EQ(readBytes(komp + copy), complete) << "round " << round << ": " << copy.toStdString();
        expectSettingsAndListsIntact(work);
    }

    ASSERT_LT(copiesMade(), files) << "the kills came too late to interrupt anything";

    // The next complete run clears what the killed ones left and finishes.
    QString err;
    EXPECT_EQ(run(work, options + QStringList{fotos}, &err), 0) << err.toStdString();
    EXPECT_TRUE(temporariesBelow(work).isEmpty());
    const QStringList all = QDir(komp).entryList({QStringLiteral("!k_*")}, QDir::Files);
    EXPECT_EQ(all.size(), files);
    for (const QString& copy : all)
        EXPECT_EQ(readBytes(komp + copy), complete) << copy.toStdString();
    expectSettingsAndListsIntact(work);
    EXPECT_TRUE(unchanged(sources)) << "a source file changed";
}

// A working folder on a read-only file system: the command writes nothing
// there anyway (a missing list file is the built-in list), so the run
// converts without a word about it.
TEST_F(BatchCommandFault, WorkingFolderThatCannotBeWrittenStillConverts)
{
    const QString readOnly = work + QStringLiteral("ro/");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    SmallDisk disk(readOnly, "1m");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here: " << disk.error();
    ASSERT_TRUE(writeBytes(readOnly + QStringLiteral("Vardolin.ini"), kSettings));
    ASSERT_TRUE(disk.makeReadOnly()) << disk.error();

    writePicture(fotos + QStringLiteral("a.jpg"), 400, 300);
    writePicture(fotos + QStringLiteral("b.png"), 400, 300, picture::Format::Png);
    const auto sources = snapshot(fotos);
    QString err;
    EXPECT_EQ(run(readOnly, {QStringLiteral("--size=80,60"), fotos}, &err), 0) << err.toStdString();
    EXPECT_EQ(err, QString());
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("!k_a.jpg.JPG")), (picture::Size{80, 60}));
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("!k_b.png.PNG")), (picture::Size{80, 60}));
    EXPECT_EQ(readBytes(readOnly + QStringLiteral("Vardolin.ini")), kSettings);
    EXPECT_TRUE(unchanged(sources)) << "a source file changed";
}

// The settings file the window would use reads as the defaults when it
// cannot be read, as it does for the window; the first line says so. Root
// reads every file, so the command runs as nobody where the test is root;
// elsewhere the permission bits alone make the file unreadable.
TEST_F(BatchCommandFault, UnreadableSettingsFileReadsAsDefaultsAndStaysAsItWas)
{
    writeSettingsAndLists(work);
    writePicture(fotos + QStringLiteral("a.jpg"), 400, 300);
    const auto sources = snapshot(fotos);
    QStringList prefix;
    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            GTEST_SKIP() << "running as root without setpriv to drop to another user";
        prefix = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups"), QStringLiteral("--")};
        // nobody must reach and write the folders, but not read the settings.
        for (QString path = dir.path(); path != QStringLiteral("/"); path = QFileInfo(path).path()) {
            if (path == dir.path())
                ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0777), 0);
            else if (!(QFileInfo(path).permissions() & QFileDevice::ExeOther))
                GTEST_SKIP() << path.toStdString() << " is closed to other users";
        }
        ASSERT_EQ(::chmod(fotos.toLocal8Bit().constData(), 0777), 0);
        for (const char* name : {"Vardolin_size.txt", "Vardolin_quali.txt"})
            ASSERT_EQ(::chmod((work + QString::fromUtf8(name)).toLocal8Bit().constData(), 0644), 0);
    }
    const QByteArray settingsPath = (work + QStringLiteral("Vardolin.ini")).toLocal8Bit();
    ASSERT_EQ(::chmod(settingsPath.constData(), 0), 0);

    QString err;
    QString out;
    const int code =
        run(work, {QStringLiteral("--size=80,60"), fotos}, &err, QStringLiteral(VARDOLIN_BATCH_EXE), prefix, &out);
    ::chmod(settingsPath.constData(), 0644);
    EXPECT_EQ(code, 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("Einstellungen: eingebaute Vorgaben (") + work
                               + QStringLiteral("Vardolin.ini kann nicht gelesen werden)\n")))
        << out.toStdString();
    EXPECT_EQ(pictureSize(fotos + QStringLiteral("!k_a.jpg.JPG")), (picture::Size{80, 60}));
    expectSettingsAndListsIntact(work);
    EXPECT_TRUE(unchanged(sources)) << "a source file changed";
}

} // namespace
