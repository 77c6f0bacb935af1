// Copies for sharing: the format chosen for every copy, the source's Exif
// kept without thumbnail and GPS (read back by exiftool, which shares no code
// with the writer), a broken block dropped with a note.

#include "batch/BatchRun.h"
#include "batch/Conversion.h"
#include "batch/CopiesOfListed.h"
#include "batch/TargetNames.h"

#include "BatchTesting.h"
#include "picture/Formats.h"
#include "util/Paths.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vardolin;
using namespace vardolin::batch;
using picture::Size;

namespace {

// What exiftool reads from each file: tag (group:name) to value, numbers as
// numbers.
std::map<QString, QJsonObject> exifOf(const QStringList& files)
{
    if (QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
        throw std::runtime_error("exiftool is missing: scripts/install-deps installs it");
    QProcess tool;
    tool.start(QStringLiteral("exiftool"), QStringList{"-j", "-n", "-a", "-G1"} + files);
    tool.waitForFinished(60000);
    std::map<QString, QJsonObject> read;
    for (const QJsonValue& file : QJsonDocument::fromJson(tool.readAllStandardOutput()).array())
        read[file[QStringLiteral("SourceFile")].toString()] = file.toObject();
    return read;
}

// Any GPS tag, in any group (exiftool names them all GPS…).
bool holdsGps(const QJsonObject& tags)
{
    const QStringList names = tags.keys();
    return std::any_of(names.begin(), names.end(), [](const QString& name) { return name.contains("GPS"); });
}

class CopyChoice : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root = dir.path() + QStringLiteral("/");
    CopyOptions options;

    // The fixture copied into a folder of its own and converted there.
    CopyResult copyOf(const QString& fixture, CopyFormat format, picture::KeepMetadata metadata, qint64 shortSide = 12)
    {
        const QString folder = root + fixture + QStringLiteral("-") + copyFormatWord(format)
                               + QString::number(int(metadata)) + QStringLiteral("/");
        fixture::copyPictureFixture(fixture, folder + fixture);
        options.choices.format = format;
        options.choices.metadata = metadata;
        return BildKorrigierenKopieren(folder + fixture, folder + QStringLiteral("c"), shortSide, options);
    }
};

TEST_F(CopyChoice, EachFormatGetsItsExtensionAndReadsBackAtTheRightSize)
{
    struct Row {
        const char* fixture;
        CopyFormat format;
        const char* extension;
        picture::Format read; // AVIF reads as HEIF
        Size size;
        int depth; // alpha kept where the format has it
    };
    for (const Row& row : {
             Row{"jpeg-blocks.jpg", CopyFormat::Webp, "WEBP", picture::Format::Webp, {18, 12}, 24},
             Row{"jpeg-blocks.jpg", CopyFormat::Avif, "AVIF", picture::Format::Heif, {18, 12}, 24},
             Row{"png-rgba.png", CopyFormat::Jpeg, "JPG", picture::Format::Jpeg, {17, 12}, 24},
             Row{"png-rgba.png", CopyFormat::Webp, "WEBP", picture::Format::Webp, {17, 12}, 32},
             Row{"png-rgba.png", CopyFormat::Avif, "AVIF", picture::Format::Heif, {17, 12}, 32},
             Row{"heic-rotated.heic", CopyFormat::Avif, "AVIF", picture::Format::Heif, {12, 18}, 24},
             Row{"webp-lossy.webp", CopyFormat::Jpeg, "JPG", picture::Format::Jpeg, {18, 12}, 24},
             Row{"webp-lossy.webp", CopyFormat::Keep, "WEBP", picture::Format::Webp, {18, 12}, 24},
         }) {
        SCOPED_TRACE(std::string(row.fixture) + " as " + row.extension);
        const CopyResult result = copyOf(QString::fromUtf8(row.fixture), row.format, picture::KeepMetadata::None);
        ASSERT_EQ(result.outcome, CopyOutcome::Written) << result.reason.toStdString();
        EXPECT_TRUE(result.writtenFile.endsWith(QStringLiteral("/c.") + QString::fromUtf8(row.extension)));
        const auto written = picture::loadPicture(util::toFsPath(result.writtenFile));
        ASSERT_TRUE(written.ok()) << written.error();
        EXPECT_EQ(written->picture.format, row.read);
        EXPECT_EQ((Size{written->picture.width, written->picture.height}), row.size);
        EXPECT_EQ(written->picture.depth, row.depth);
        // A chosen format looks like the JPEG copy at the grade; a WebP
        // source kept as WebP keeps the quality it always had.
        const auto scale =
            row.format == CopyFormat::Keep ? picture::QualityScale::Own : picture::QualityScale::LooksLikeJpeg;
        EXPECT_EQ(result.quality,
                  picture::encoderQuality(written->picture.format == picture::Format::Heif ? picture::Format::Avif
                                                                                           : written->picture.format,
                                          options.quality, scale));
    }
}

// The budget search works for every lossy format, and a lossless WebP source
// written as JPEG is searched like any JPEG copy.
TEST_F(CopyChoice, TheSizeBudgetLowersTheGradeInEveryLossyFormat)
{
    options.quality = 10;
    options.overwrite = true;
    for (const auto& [fixture, format] :
         {std::pair{"webp-lossless.webp", CopyFormat::Jpeg}, std::pair{"jpeg-blocks.jpg", CopyFormat::Avif},
          std::pair{"jpeg-blocks.jpg", CopyFormat::Webp}}) {
        SCOPED_TRACE(std::string(fixture) + " as " + copyFormatWord(format).toStdString());
        options.maxBytes = 0;
        const CopyResult best = copyOf(QString::fromUtf8(fixture), format, picture::KeepMetadata::None, 200);
        ASSERT_EQ(best.outcome, CopyOutcome::Written) << best.reason.toStdString();
        ASSERT_EQ(best.grade, 10);
        options.maxBytes = best.bytesAfter - 1;
        const CopyResult budgeted = copyOf(QString::fromUtf8(fixture), format, picture::KeepMetadata::None, 200);
        ASSERT_EQ(budgeted.outcome, CopyOutcome::Written) << budgeted.reason.toStdString();
        EXPECT_LT(budgeted.grade, 10);
        EXPECT_LE(budgeted.bytesAfter, options.maxBytes);
    }
}

// Date, camera, exposure, copyright and description stay; the orientation
// reads 1 (the pixels are upright), the sizes are the copy's, the colour
// space sRGB; thumbnail, interoperability index and GPS position are gone
// unless the location is asked for. From every source that carries Exif
// into every format that does.
TEST_F(CopyChoice, MetadataIsKeptAndDroppedExactlyAsSaid)
{
    std::map<QString, Size> copies; // file -> size
    std::set<QString> withLocation;
    std::set<QString> withoutMetadata;
    for (const char* fixture : {"exif-full.jpg", "exif-full.heic", "exif-full.webp"}) {
        for (CopyFormat format : {CopyFormat::Keep, CopyFormat::Jpeg, CopyFormat::Webp, CopyFormat::Avif}) {
            const CopyResult result =
                copyOf(QString::fromUtf8(fixture), format, picture::KeepMetadata::WithoutLocation);
            ASSERT_EQ(result.outcome, CopyOutcome::Written) << fixture << ": " << result.reason.toStdString();
            EXPECT_TRUE(result.metadataNote.isEmpty()) << result.metadataNote.toStdString();
            copies[result.writtenFile] = result.after;
        }
        const CopyResult located =
            copyOf(QString::fromUtf8(fixture), CopyFormat::Avif, picture::KeepMetadata::WithLocation);
        withLocation.insert(located.writtenFile);
        const CopyResult plain = copyOf(QString::fromUtf8(fixture), CopyFormat::Keep, picture::KeepMetadata::None);
        withoutMetadata.insert(plain.writtenFile);
    }
    QStringList files;
    for (const auto& [file, size] : copies)
        files << file;
    files << QStringList(withLocation.begin(), withLocation.end())
          << QStringList(withoutMetadata.begin(), withoutMetadata.end());
    const std::map<QString, QJsonObject> read = exifOf(files);
    ASSERT_EQ(read.size(), std::size_t(files.size()));

    for (const auto& [file, size] : copies) {
        SCOPED_TRACE(file.toStdString());
        const QJsonObject tags = read.at(file);
        EXPECT_EQ(tags["IFD0:Make"].toString(), "Vardolin-Testkamera");
        EXPECT_EQ(tags["IFD0:Model"].toString(), "Modell 7");
        EXPECT_EQ(tags["ExifIFD:DateTimeOriginal"].toString(), "2019:07:14 15:30:00");
        EXPECT_DOUBLE_EQ(tags["ExifIFD:ExposureTime"].toDouble(), 0.004);
        EXPECT_DOUBLE_EQ(tags["ExifIFD:FNumber"].toDouble(), 5.6);
        EXPECT_EQ(tags["ExifIFD:ISO"].toInt(), 200);
        EXPECT_EQ(tags["IFD0:Copyright"].toString(), "Familie Muster");
        EXPECT_EQ(tags["IFD0:ImageDescription"].toString(), "Am See");
        EXPECT_EQ(tags["IFD0:Orientation"].toInt(), 1);
        EXPECT_EQ(tags["ExifIFD:ColorSpace"].toInt(), 1);
        EXPECT_EQ(tags["ExifIFD:ExifImageWidth"].toInt(), size.width);
        EXPECT_EQ(tags["ExifIFD:ExifImageHeight"].toInt(), size.height);
        EXPECT_FALSE(tags.contains("IFD1:ThumbnailImage") || tags.contains("IFD1:ThumbnailOffset"));
        EXPECT_FALSE(tags.contains("InteropIFD:InteropIndex"));
        EXPECT_FALSE(holdsGps(tags));
    }
    for (const QString& file : withLocation) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_DOUBLE_EQ(read.at(file)["GPS:GPSLatitude"].toDouble(), 47.5);
        EXPECT_DOUBLE_EQ(read.at(file)["GPS:GPSLongitude"].toDouble(), 8.25);
    }
    for (const QString& file : withoutMetadata) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(read.at(file).contains("IFD0:Make"));
        EXPECT_FALSE(holdsGps(read.at(file)));
    }
}

// The JPEG's pixels are turned upright whatever its orientation; a copy that
// said anything but 1 would be turned a second time by every viewer.
TEST_F(CopyChoice, EveryOrientationBecomesOne)
{
    QStringList files;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString fixture = QStringLiteral("jpeg-orientation-%1.jpg").arg(orientation);
        for (CopyFormat format : {CopyFormat::Keep, CopyFormat::Avif}) {
            const CopyResult result = copyOf(fixture, format, picture::KeepMetadata::WithoutLocation);
            ASSERT_EQ(result.outcome, CopyOutcome::Written) << result.reason.toStdString();
            EXPECT_EQ(result.after, orientation >= 5 ? (Size{12, 18}) : (Size{18, 12})) << orientation;
            files << result.writtenFile;
        }
    }
    for (const auto& [file, tags] : exifOf(files))
        EXPECT_EQ(tags["IFD0:Orientation"].toInt(), 1) << file.toStdString();
}

// The copy is made without it, and the run log says why.
TEST_F(CopyChoice, ABrokenExifBlockIsDroppedWithANote)
{
    const CopyResult result =
        copyOf(QStringLiteral("exif-broken.jpg"), CopyFormat::Keep, picture::KeepMetadata::WithoutLocation);
    ASSERT_EQ(result.outcome, CopyOutcome::Written) << result.reason.toStdString();
    EXPECT_TRUE(result.metadataNote.contains(QStringLiteral("damaged"))) << result.metadataNote.toStdString();
    EXPECT_FALSE(fixture::readBytes(result.writtenFile).contains("Exif"));

    fixture::copyPictureFixture(QStringLiteral("exif-broken.jpg"), root + QStringLiteral("run/a.jpg"));
    Settings settings;
    settings.QuellVerz = root + QStringLiteral("run/");
    settings.AusgabeOrdner = QStringLiteral("2");
    settings.Extra.MetadatenBehalten = QStringLiteral("1");
    fixture::RecordingHost host;
    const RunReport report = BilderVerarbeiten(settings, host);
    EXPECT_EQ(report.written, 1);
    EXPECT_EQ(host.logLines, QStringList{metadataNoteLogLine(root + QStringLiteral("run/a.jpg"), result.metadataNote)});
}

// A place is shared only on purpose: a location switch left on from before
// does nothing without the metadata switch.
TEST(CopyChoices, LocationOnlyWithTheMetadataAndAnUnknownFormatAsTheSource)
{
    ExtraSettings extra;
    EXPECT_EQ(copyChoicesFrom(extra).metadata, picture::KeepMetadata::None);
    extra.OrtBehalten = QStringLiteral("1");
    EXPECT_EQ(copyChoicesFrom(extra).metadata, picture::KeepMetadata::None);
    extra.MetadatenBehalten = QStringLiteral("1");
    EXPECT_EQ(copyChoicesFrom(extra).metadata, picture::KeepMetadata::WithLocation);
    extra.OrtBehalten = QStringLiteral("0");
    EXPECT_EQ(copyChoicesFrom(extra).metadata, picture::KeepMetadata::WithoutLocation);
    extra.Kopieformat = QStringLiteral(" AVIF ");
    EXPECT_EQ(copyChoicesFrom(extra).format, CopyFormat::Avif);
    extra.Kopieformat = QStringLiteral("gif");
    EXPECT_EQ(copyChoicesFrom(extra).format, CopyFormat::Keep);
}

// A second run beside the sources lists the copies of the first: in a chosen
// format they are named by that format, and still no sources.
TEST(CopyChoices, ACopyInTheChosenFormatIsNoSourceOfTheNextRun)
{
    Settings settings;
    settings.AusgabeOrdner = QStringLiteral("3");
    settings.QuellVerz = QStringLiteral("/vardolin-nowhere/Fotos/*.*");
    settings.Extra.Kopieformat = QStringLiteral("webp");
    const TargetChoice naming = targetChoiceFrom(settings, {});
    ASSERT_EQ(naming.copyFormat, CopyFormat::Webp);
    const QString photo = QStringLiteral("/vardolin-nowhere/Fotos/IMG_1.jpg");
    const QString copy = zielName(photo, naming).name;
    const QString webp = util::folderOf(copy) + util::baseNameOf(copy) + QStringLiteral(".WEBP");
    const QString jpeg = util::folderOf(copy) + util::baseNameOf(copy) + QStringLiteral(".JPG");
    EXPECT_EQ(copyFileOf(photo, naming), webp);
    EXPECT_EQ(withoutCopiesOfListed({photo, webp, jpeg}, naming), (QStringList{photo, jpeg}));
}

} // namespace
