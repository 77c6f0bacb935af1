// vardolin-batch as a step of a script: the dry run writes nothing, the
// report says what became of each file, the size budget, quiet output.

#include "CommandEnvironment.h"
#include "batch/BatchTesting.h"
#include "util/FileNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

using namespace vardolin;
using namespace vardolin::batch::fixture;
using namespace vardolin::cli::testing;

namespace {

struct Finished {
    int code = -1;
    QString out;
    QString err;
};

// Every file and folder below folder, hidden ones included, with the bytes
// of the files.
QMap<QString, QByteArray> everythingBelow(const QString& folder)
{
    QMap<QString, QByteArray> found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        found.insert(path, QFileInfo(path).isDir() ? QByteArray("<folder>") : readBytes(path));
    }
    return found;
}

QList<QJsonObject> reportLines(const QString& file)
{
    QList<QJsonObject> lines;
    for (const QByteArray& line : readBytes(file).split('\n')) {
        if (!line.isEmpty())
            lines.append(QJsonDocument::fromJson(line).object());
    }
    return lines;
}

// A photo-like picture: noise, so that every grade gives a copy of its own size.
void writeNoisyPhoto(const QString& path, int width, int height)
{
    picture::Picture made = gradientPicture(width, height);
    std::mt19937 random(7);
    for (std::uint8_t& byte : made.pixels)
        byte = std::uint8_t(byte / 2 + random() % 128);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(picture::savePicture(made, util::toFsPath(path), picture::Format::Jpeg, 10).ok());
}

class Scripting : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString work = dir.path() + QStringLiteral("/");
    QString fotos = work + QStringLiteral("Fotos/");
    QString home = work + QStringLiteral("home/");

    void SetUp() override { QDir().mkpath(home); }

    // Scripts run in the C locale as often as not: English words.
    Finished run(const QStringList& arguments, const char* locale = kEnglish)
    {
        QProcess process;
        process.setWorkingDirectory(work);
        process.setProcessEnvironment(commandEnvironment(home, locale));
        process.start(QStringLiteral(VARDOLIN_BATCH_EXE), arguments);
        EXPECT_TRUE(process.waitForFinished(120000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
};

TEST_F(Scripting, DryRunTellsEachOutcomeAndWritesNothing)
{
    const QString klein = work + QStringLiteral("Klein/");
    writePicture(fotos + QStringLiteral("a.jpg"), 40, 30);
    writePicture(fotos + QStringLiteral("b.jpg"), 40, 30);
    writePicture(fotos + QStringLiteral("sub/x.jpg"), 40, 30);
    writePicture(fotos + QStringLiteral("sub/x.JPG"), 30, 40);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("notes.txt"), "text"));
    ASSERT_TRUE(writeBytes(klein + QStringLiteral("!k_b_k!.JPG"), "an older copy"));
    ASSERT_TRUE(writeBytes(klein + QStringLiteral(".vardolin-999999999-1.part"), "left by a killed run"));
    const auto before = everythingBelow(work);

    const QString sources = fotos + QStringLiteral("*.jpg|*.txt");
    const Finished done =
        run({QStringLiteral("--dry-run"), QStringLiteral("--size=80,60"), QStringLiteral("--subfolders"),
             QStringLiteral("--target"), klein, QStringLiteral("--structure"), sources});
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_EQ(everythingBelow(work), before) << "a dry run wrote, made or removed something";
    QStringList lines = done.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << done.out.toStdString();
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Settings: built-in defaults"));
    EXPECT_EQ(lines[0], fotos + QStringLiteral("a.jpg -> ") + klein + QStringLiteral("!k_a_k!.JPG: written"));
    EXPECT_EQ(lines[1], fotos + QStringLiteral("b.jpg -> ") + klein + QStringLiteral("!k_b_k!.JPG: skipped: exists"));
    EXPECT_EQ(lines[2],
              fotos + QStringLiteral("notes.txt -> ") + klein + QStringLiteral("!k_notes_k!.TXT: skipped: format"));
    // x.jpg and x.JPG share one copy: the first listed makes it, the second finds it.
    const QString shared = QStringLiteral(" -> ") + klein + QStringLiteral("sub/!k_x_k!.JPG: ");
    const bool lowerFirst = lines[3].startsWith(fotos + QStringLiteral("sub/x.jpg"));
    EXPECT_EQ(lines[3], fotos + (lowerFirst ? QStringLiteral("sub/x.jpg") : QStringLiteral("sub/x.JPG")) + shared
                            + QStringLiteral("written"));
    EXPECT_EQ(lines[4], fotos + (lowerFirst ? QStringLiteral("sub/x.JPG") : QStringLiteral("sub/x.jpg")) + shared
                            + QStringLiteral("skipped: exists"));

    // Nor does it make a target folder that does not exist.
    EXPECT_EQ(
        run({QStringLiteral("--dry-run"), QStringLiteral("--target"), work + QStringLiteral("Neu"), sources}).code, 0);
    EXPECT_FALSE(QFileInfo::exists(work + QStringLiteral("Neu")));

    // The run it foretold.
    const Finished real = run({QStringLiteral("--size=80,60"), QStringLiteral("--subfolders"),
                               QStringLiteral("--target"), klein, QStringLiteral("--structure"), sources});
    EXPECT_EQ(real.code, 0) << real.err.toStdString();
    EXPECT_EQ(pictureSize(klein + QStringLiteral("sub/!k_x_k!.JPG")),
              lowerFirst ? (picture::Size{80, 60}) : (picture::Size{60, 80}));
    EXPECT_EQ(readBytes(klein + QStringLiteral("!k_b_k!.JPG")), "an older copy");
}

TEST_F(Scripting, ReportSaysWhatBecameOfEachFile)
{
    writePicture(fotos + QStringLiteral("a.jpg"), 1000, 750);
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("broken.jpg"), QByteArray(300, '\x11')));
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("notes.txt"), "text"));
    const QString report = work + QStringLiteral("run.jsonl");
    const QStringList arguments{QStringLiteral("--size=80,60"), QStringLiteral("--quality=7"),
                                QStringLiteral("--report"), report, fotos + QStringLiteral("*.jpg|*.txt")};
    EXPECT_EQ(run(arguments).code, 1);

    QMap<QString, QJsonObject> bySource;
    for (const QJsonObject& line : reportLines(report))
        bySource.insert(QFileInfo(line[QStringLiteral("source")].toString()).fileName(), line);
    ASSERT_EQ(bySource.size(), 3);
    const QJsonObject a = bySource[QStringLiteral("a.jpg")];
    const QString copy = fotos + QStringLiteral("!k_a.jpg.JPG");
    EXPECT_EQ(a[QStringLiteral("outcome")].toString(), QStringLiteral("written"));
    EXPECT_EQ(a[QStringLiteral("copy")].toString(), copy);
    EXPECT_TRUE(a[QStringLiteral("reason")].isNull());
    EXPECT_EQ(a[QStringLiteral("width_before")].toInt(), 1000);
    EXPECT_EQ(a[QStringLiteral("height_before")].toInt(), 750);
    EXPECT_EQ(a[QStringLiteral("width_after")].toInt(), 80);
    EXPECT_EQ(a[QStringLiteral("height_after")].toInt(), 60);
    EXPECT_EQ(a[QStringLiteral("bytes_before")].toInteger(), QFileInfo(fotos + QStringLiteral("a.jpg")).size());
    EXPECT_EQ(a[QStringLiteral("bytes_after")].toInteger(), QFileInfo(copy).size());
    EXPECT_EQ(a[QStringLiteral("quality")].toInt(), 70);
    EXPECT_EQ(bySource[QStringLiteral("broken.jpg")][QStringLiteral("outcome")].toString(), QStringLiteral("failed"));
    EXPECT_FALSE(bySource[QStringLiteral("broken.jpg")][QStringLiteral("reason")].toString().isEmpty());
    EXPECT_EQ(bySource[QStringLiteral("notes.txt")][QStringLiteral("outcome")].toString(),
              QStringLiteral("skipped: format"));

    // Run again: its lines follow the first run's, each naming its run, and
    // an existing copy is told with its size.
    run(arguments);
    const auto both = reportLines(report);
    ASSERT_EQ(both.size(), 6);
    const QJsonObject firstRun = both[0][QStringLiteral("run")].toObject();
    const QJsonObject secondRun = both[5][QStringLiteral("run")].toObject();
    EXPECT_FALSE(firstRun[QStringLiteral("host")].toString().isEmpty());
    EXPECT_NE(firstRun[QStringLiteral("process")], secondRun[QStringLiteral("process")]);
    EXPECT_LT(firstRun[QStringLiteral("started")].toString(), secondRun[QStringLiteral("started")].toString());
    // the lines come as the files are done, which two workers may do in either order
    QJsonObject kept;
    for (qsizetype i = 3; i < both.size(); ++i) {
        EXPECT_EQ(both[i][QStringLiteral("run")].toObject(), secondRun);
        if (QFileInfo(both[i][QStringLiteral("source")].toString()).fileName() == QStringLiteral("a.jpg"))
            kept = both[i];
    }
    EXPECT_EQ(kept[QStringLiteral("outcome")].toString(), QStringLiteral("skipped: exists"));
    EXPECT_EQ(kept[QStringLiteral("bytes_after")].toInteger(), QFileInfo(copy).size());
}

// The copy made to fit a budget is the copy a run at the grade it names
// makes; a copy that fits at the chosen grade is left as it was.
TEST_F(Scripting, SizeBudgetTakesTheHighestLowerGradeThatFits)
{
    writeNoisyPhoto(fotos + QStringLiteral("IMG.jpg"), 1200, 900);
    const QStringList common{QStringLiteral("--size=800,600"), QStringLiteral("--overwrite"),
                             fotos + QStringLiteral("IMG.jpg")};
    const QString copy = fotos + QStringLiteral("!k_IMG.jpg.JPG");
    QList<QByteArray> atGrade;
    for (int grade = 0; grade <= 9; ++grade) {
        ASSERT_EQ(run(QStringList{QStringLiteral("--quality=%1").arg(grade)} + common).code, 0);
        atGrade.append(readBytes(copy));
    }
    for (int grade = 1; grade <= 9; ++grade)
        ASSERT_GT(atGrade[grade].size(), atGrade[grade - 1].size() + 1024) << "grades too close for the test";

    const QString report = work + QStringLiteral("budget.jsonl");
    const qint64 kib = atGrade[5].size() / 1024; // grade 5 is just over it, grade 4 under
    Finished done = run(QStringList{QStringLiteral("--quality=9"), QStringLiteral("--max-kb=%1").arg(kib),
                                    QStringLiteral("--report"), report}
                        + common);
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_EQ(readBytes(copy), atGrade[4]);
    QJsonObject line = reportLines(report).last();
    EXPECT_EQ(line[QStringLiteral("grade")].toInt(), 4);
    EXPECT_EQ(line[QStringLiteral("quality")].toInt(), 40);
    EXPECT_FALSE(line[QStringLiteral("over_budget")].toBool());

    done =
        run(QStringList{QStringLiteral("--quality=9"), QStringLiteral("--max-kb=1"), QStringLiteral("--report"), report}
            + common);
    EXPECT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_EQ(readBytes(copy), atGrade[0]);
    EXPECT_TRUE(done.err.contains(copy)) << done.err.toStdString();
    line = reportLines(report).last();
    EXPECT_EQ(line[QStringLiteral("grade")].toInt(), 0);
    EXPECT_TRUE(line[QStringLiteral("over_budget")].toBool());

    EXPECT_EQ(run(QStringList{QStringLiteral("--quality=9"), QStringLiteral("--max-kb=100000")} + common).code, 0);
    EXPECT_EQ(readBytes(copy), atGrade[9]);
    EXPECT_TRUE(temporariesBelow(fotos).isEmpty());
}

// A WebP copy is lossy at the grade's quality or lossless like its source; a
// lossless one has no smaller grade, so the budget is not searched, only told.
TEST_F(Scripting, SizeBudgetOfWebpCopies)
{
    const QString data = QStringLiteral(VARDOLIN_TEST_DATA "/picture/");
    ASSERT_TRUE(QDir().mkpath(fotos));
    ASSERT_TRUE(QFile::copy(data + QStringLiteral("webp-lossy.webp"), fotos + QStringLiteral("lossy.webp")));
    ASSERT_TRUE(QFile::copy(data + QStringLiteral("webp-lossless.webp"), fotos + QStringLiteral("lossless.webp")));
    const QString report = work + QStringLiteral("budget.jsonl");
    const Finished done = run({QStringLiteral("--size=400,300"), QStringLiteral("--quality=6"),
                               QStringLiteral("--max-kb=1000"), QStringLiteral("--report"), report, fotos});
    ASSERT_EQ(done.code, 0) << done.err.toStdString();
    for (const QJsonObject& line : reportLines(report)) {
        const bool isLossy = line[QStringLiteral("source")].toString().endsWith(QStringLiteral("lossy.webp"));
        EXPECT_EQ(line[QStringLiteral("quality")].toInt(-1), isLossy ? 60 : -1);
    }
    const Finished tight =
        run({QStringLiteral("--size=400,300"), QStringLiteral("--overwrite"), QStringLiteral("--max-kb=1"),
             QStringLiteral("--report"), report, fotos + QStringLiteral("lossless.webp")});
    EXPECT_EQ(tight.code, 0) << tight.err.toStdString();
    EXPECT_TRUE(tight.err.contains(QStringLiteral("over the size budget, lossless"))) << tight.err.toStdString();
    const QJsonObject lossless = reportLines(report).last();
    EXPECT_TRUE(lossless[QStringLiteral("grade")].isNull());
    EXPECT_TRUE(lossless[QStringLiteral("over_budget")].toBool());
    EXPECT_TRUE(temporariesBelow(fotos).isEmpty());
}

// Each line says what was done to its copy's colours, from the profile
// applied after scaling or while decoding (CMYK), or why none was; a
// profile that could not be used is also named on standard error.
TEST_F(Scripting, ReportSaysWhatWasDoneToTheColours)
{
    const QString data = QStringLiteral(VARDOLIN_TEST_DATA "/picture/");
    ASSERT_TRUE(QDir().mkpath(fotos));
    for (const char* name :
         {"colour-swap.jpg", "colour-cmyk.jpg", "colour-broken.jpg", "jpeg-blocks.jpg", "colour-gamma-linear.png"})
        ASSERT_TRUE(QFile::copy(data + QLatin1String(name), fotos + QLatin1String(name)));
    const QString report = work + QStringLiteral("colour.jsonl");
    const Finished done = run(
        {QStringLiteral("--size=40,30"), QStringLiteral("--report"), report, fotos + QStringLiteral("*.jpg|*.png")});
    ASSERT_EQ(done.code, 0) << done.err.toStdString();
    EXPECT_TRUE(done.err.contains(fotos + QStringLiteral("colour-broken.jpg"))) << done.err.toStdString();

    QMap<QString, QJsonObject> colourOf;
    for (const QJsonObject& line : reportLines(report))
        colourOf.insert(QFileInfo(line[QStringLiteral("source")].toString()).fileName(),
                        line[QStringLiteral("colour")].toObject());
    auto expect = [&colourOf](const char* name, const char* done, QJsonValue from, QJsonValue intent) {
        SCOPED_TRACE(name);
        const QJsonObject colour = colourOf.value(QLatin1String(name));
        EXPECT_EQ(colour[QStringLiteral("done")].toString(), QLatin1String(done));
        EXPECT_EQ(colour[QStringLiteral("from")], from);
        EXPECT_EQ(colour[QStringLiteral("intent")], intent);
        EXPECT_EQ(colour[QStringLiteral("reason")].isNull(), std::string_view(done) != "ignored");
    };
    expect("colour-swap.jpg", "converted", QStringLiteral("Red and green swapped"),
           QStringLiteral("relative colorimetric"));
    expect("colour-cmyk.jpg", "converted", QStringLiteral("CMYK with cyan and magenta swapped"),
           QStringLiteral("perceptual"));
    expect("colour-gamma-linear.png", "converted", QStringLiteral("PNG gAMA 1"),
           QStringLiteral("relative colorimetric"));
    expect("colour-broken.jpg", "ignored", QJsonValue(), QJsonValue());
    expect("jpeg-blocks.jpg", "none", QJsonValue(), QJsonValue());
}

// Quiet, only failures are told: not a copy skipped on purpose (two photos
// naming one copy), nor one made from a damaged photo.
TEST_F(Scripting, QuietSaysOnlyWhatFailedAndPipesGetPlainLines)
{
    writePicture(fotos + QStringLiteral("good.jpg"), 40, 30);
    writePicture(fotos + QStringLiteral("sub/good.jpg"), 40, 30);
    copyPictureFixture(QStringLiteral("jpeg-photo-cut-short.jpg"), fotos + QStringLiteral("cut.jpg"));
    ASSERT_TRUE(writeBytes(fotos + QStringLiteral("broken.jpg"), QByteArray(300, '\x11')));
    const QStringList common{QStringLiteral("--size=80,60"), QStringLiteral("--subfolders"), QStringLiteral("--target"),
                             work + QStringLiteral("Klein"), fotos + QStringLiteral("*.jpg")};
    const Finished quiet = run(QStringList{QStringLiteral("--quiet")} + common);
    EXPECT_EQ(quiet.code, 1);
    EXPECT_EQ(quiet.out, QString());
    EXPECT_EQ(quiet.err.split(u'\n', Qt::SkipEmptyParts),
              (QStringList{QStringLiteral("Not copied: ") + fotos
                               + QStringLiteral("broken.jpg : could not be loaded: not a picture file this program "
                                                "can read"),
                           QStringLiteral("vardolin-batch: 1 of 4 files could not be converted")}));

    const Finished plain = run(QStringList{QStringLiteral("--overwrite")} + common);
    EXPECT_TRUE(plain.out.endsWith(QStringLiteral("4 files copied\n"))) << plain.out.toStdString();
    EXPECT_FALSE(plain.out.contains(u'\r') || plain.out.contains(u'\x1b')) << "terminal codes into a pipe";
    EXPECT_TRUE(plain.err.contains(QStringLiteral("Picture damaged: ") + fotos + QStringLiteral("cut.jpg")))
        << plain.err.toStdString();
}

// A damaged photo is copied from what it holds and named on standard error,
// in the locale's language, and in the report, in the library's words; with
// --fail-on warning it fails and gets no copy.
TEST_F(Scripting, DamagedPhotosAreNamedAndFailOnRequest)
{
    copyPictureFixture(QStringLiteral("jpeg-photo-cut-short.jpg"), fotos + QStringLiteral("cut.jpg"));
    writePicture(fotos + QStringLiteral("whole.jpg"), 400, 300);
    const QString report = work + QStringLiteral("run.jsonl");
    const QStringList common{QStringLiteral("--size=80,60"), QStringLiteral("--mode=3"), QStringLiteral("--report"),
                             report, fotos};
    const QString cutCopy = fotos + QStringLiteral("komp/!k_cut_k!.JPG");

    const Finished strict = run(QStringList{QStringLiteral("--fail-on=warning")} + common, kGerman);
    EXPECT_EQ(strict.code, 1);
    EXPECT_TRUE(strict.err.contains(QStringLiteral("Nicht kopiert: ") + fotos
                                    + QStringLiteral("cut.jpg : unvollständig: JPEG: Premature end of JPEG file")))
        << strict.err.toStdString();
    EXPECT_FALSE(QFile::exists(cutCopy));
    EXPECT_TRUE(QFile::exists(fotos + QStringLiteral("komp/!k_whole_k!.JPG")));

    const Finished lenient = run(QStringList{QStringLiteral("--fail-on=none")} + common);
    EXPECT_EQ(lenient.code, 0) << lenient.err.toStdString();
    EXPECT_TRUE(lenient.err.contains(QStringLiteral("Picture damaged: ") + fotos
                                     + QStringLiteral("cut.jpg : JPEG: Premature end of JPEG file")))
        << lenient.err.toStdString();
    EXPECT_EQ(pictureSize(cutCopy), (picture::Size{90, 60}));

    QMap<QString, QJsonObject> latest;
    for (const QJsonObject& line : reportLines(report))
        latest.insert(QFileInfo(line[QStringLiteral("source")].toString()).fileName(), line);
    const QJsonArray warnings = latest[QStringLiteral("cut.jpg")][QStringLiteral("warnings")].toArray();
    ASSERT_FALSE(warnings.isEmpty());
    EXPECT_EQ(warnings[0].toString(), QStringLiteral("JPEG: Premature end of JPEG file"));
    EXPECT_EQ(latest[QStringLiteral("cut.jpg")][QStringLiteral("outcome")].toString(), QStringLiteral("written"));
    EXPECT_EQ(latest[QStringLiteral("whole.jpg")][QStringLiteral("warnings")].toArray(), QJsonArray());
}

} // namespace
