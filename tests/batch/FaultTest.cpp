// The batch run against a disk that fills up, a target folder that cannot be
// written, and sources that are cut short after the scan listed them: the files concerned fail with a log line, the
// run goes on, no partial copy and no temporary file stays, and no source
// changes.

#include "batch/BatchRun.h"

#include "BatchTesting.h"
#include "util/SmallDisk.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::pictureSize;
using fixture::RecordingHost;
using fixture::writePicture;
using picture::Size;
using vardolin::testing::SmallDisk;

namespace {

class BatchFault : public fixture::BatchFolder {
protected:
    void SetUp() override
    {
        BatchFolder::SetUp();
        settings.BildDatei = QStringLiteral("*.jpg|*.bmp|*.png");
    }
    QString at(const QString& relative) const { return source + relative; }
};

TEST_F(BatchFault, DiskThatFillsUpMidWriteFailsTheFilesItCannotHoldAndTheRunGoesOn)
{
    const QString target = root + QStringLiteral("Klein/");
    ASSERT_TRUE(QDir().mkpath(target));
    const SmallDisk disk(target, "2m");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.error();

    // Uncompressed copies of 600 x 450 take about 810 KB each: two fit.
    constexpr int files = 5;
    for (int i = 0; i < files; ++i)
        writePicture(at(QStringLiteral("IMG_%1.bmp").arg(i)), 800, 600, picture::Format::Bmp);
    const auto before = fixture::snapshot(source);
    settings.AusgabeOrdner = QStringLiteral("4");
    settings.ZielVerz = target;
    host.sizeItem = QStringLiteral("1-600,450");

    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.reached, files);
    EXPECT_GE(report.written, 1);
    EXPECT_GE(report.failed, 1);
    EXPECT_EQ(report.written + report.failed, files);
    EXPECT_EQ(host.logLines.size(), report.failed);

    const QStringList copies = QDir(target).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(copies.size(), report.written) << copies.join(u' ').toStdString();
    for (const QString& copy : copies)
        EXPECT_EQ(pictureSize(target + copy), (Size{600, 450})) << "partial copy " << copy.toStdString();
    EXPECT_TRUE(fixture::temporariesBelow(target).isEmpty());
    EXPECT_TRUE(fixture::unchanged(before)) << "a source file changed";
}

TEST_F(BatchFault, TargetFolderThatCannotBeWrittenFailsEachFileAndTheRunGoesOn)
{
    const QString target = root + QStringLiteral("Klein/");
    ASSERT_TRUE(QDir().mkpath(target));
    SmallDisk disk(target, "1m");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << disk.error();
    ASSERT_TRUE(disk.makeReadOnly()) << disk.error();

    writePicture(at(QStringLiteral("a.jpg")), 400, 300);
    writePicture(at(QStringLiteral("b.png")), 400, 300, picture::Format::Png);
    writePicture(at(QStringLiteral("c.bmp")), 400, 300, picture::Format::Bmp);
    const auto before = fixture::snapshot(source);
    settings.AusgabeOrdner = QStringLiteral("4");
    settings.ZielVerz = target;

    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.reached, 3);
    EXPECT_EQ(report.failed, 3);
    EXPECT_EQ(host.logLines.size(), 3);
    EXPECT_EQ(host.statuses.back(), QStringLiteral("3 Dateien kopiert !"));
    EXPECT_TRUE(QDir(target).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
    EXPECT_TRUE(fixture::unchanged(before)) << "a source file changed";
}

TEST_F(BatchFault, SourcesCutShortAfterTheScanFailOrCopyWhatIsThere)
{
    writePicture(at(QStringLiteral("a.jpg")), 400, 300);
    writePicture(at(QStringLiteral("b.jpg")), 400, 300);
    writePicture(at(QStringLiteral("c.png")), 400, 300, picture::Format::Png);
    writePicture(at(QStringLiteral("d.bmp")), 400, 300, picture::Format::Bmp);
    writePicture(at(QStringLiteral("e.bmp")), 400, 300, picture::Format::Bmp);
    writePicture(at(QStringLiteral("f.jpg")), 400, 300);
    options.jobs = 1;
    QMap<QString, QByteArray> cut;
    host.onStatus = [&](const QString& text) {
        if (!text.startsWith(QStringLiteral("Kopiere 1 ")))
            return;
        const auto cutTo = [&](const char* name, qint64 size) {
            QFile file(at(QString::fromUtf8(name)));
            ASSERT_TRUE(file.resize(size));
            cut.insert(file.fileName(), fixture::readBytes(file.fileName()));
        };
        cutTo("b.jpg", QFileInfo(at(QStringLiteral("b.jpg"))).size() / 2);
        cutTo("c.png", 40);
        cutTo("d.bmp", 0);
        cutTo("e.bmp", 54 + 1200 * 100);
    };
    const auto untouched = fixture::snapshot(source);

    const RunReport report = BilderVerarbeiten(settings, host, options);
    EXPECT_EQ(report.reached, 6);
    EXPECT_EQ(report.written + report.failed, 6);
    EXPECT_GE(report.failed, 2); // the PNG header and the empty BMP at least
    // Each failure is logged; so is each copy made from what a damaged file held.
    EXPECT_EQ(host.logLines.filter(QStringLiteral("Nicht kopiert: ")).size(), report.failed);
    EXPECT_EQ(host.logLines.filter(QStringLiteral("Bild unvollständig: ")).size(), report.damaged);
    EXPECT_EQ(host.logLines
                  .filter(QStringLiteral("Bild unvollständig: ") + at(QStringLiteral("b.jpg"))
                          + QStringLiteral(" : JPEG: Premature end of JPEG file"))
                  .size(),
              1)
        << host.logLines.join(u'\n').toStdString();
    for (const char* name : {"a", "b", "c", "d", "e", "f"}) {
        const QStringList copies =
            QDir(source).entryList({QStringLiteral("!k_%1*").arg(QString::fromUtf8(name))}, QDir::Files);
        for (const QString& copy : copies)
            EXPECT_EQ(pictureSize(at(copy)), (Size{80, 60})) << "partial copy " << copy.toStdString();
    }
    EXPECT_TRUE(QDir(source).entryList({QStringLiteral("!k_a*")}, QDir::Files).size() == 1);
    EXPECT_TRUE(QDir(source).entryList({QStringLiteral("!k_f*")}, QDir::Files).size() == 1);
    EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
    for (auto it = untouched.cbegin(); it != untouched.cend(); ++it) {
        const QByteArray expected = cut.contains(it.key()) ? cut.value(it.key()) : it.value();
        EXPECT_EQ(fixture::readBytes(it.key()), expected) << "source changed: " << it.key().toStdString();
    }
}

} // namespace
