#include "batch/Conversion.h"

#include "BatchTesting.h"
#include "util/Files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::pictureSize;
using fixture::readBytes;
using fixture::writeBytes;
using fixture::writePicture;
using picture::Size;

namespace {

TEST(ShortSideRule, KeepsTheAspectRatioWithFloatRatioAndTiesToEven)
{
    EXPECT_EQ(newSizeFor({4000, 3000}, 600), (Size{800, 600}));
    EXPECT_EQ(newSizeFor({1920, 1080}, 600), (Size{1067, 600}));
    EXPECT_EQ(newSizeFor({3000, 4000}, 600), (Size{600, 800}));
    EXPECT_EQ(newSizeFor({2000, 2000}, 600), (Size{600, 600}));
    EXPECT_EQ(newSizeFor({4000, 3000}, 1024), (Size{1365, 1024}));
    EXPECT_EQ(newSizeFor({300, 200}, 600), (Size{900, 600}));
    EXPECT_EQ(newSizeFor({5, 2}, 1), (Size{2, 1})); // 2.5 rounds to even
    EXPECT_EQ(newSizeFor({7, 2}, 1), (Size{4, 1})); // 3.5 rounds to even
}

TEST(ShortSideRule, DegenerateInputsGiveNoSize)
{
    EXPECT_EQ(newSizeFor({0, 3000}, 600), (Size{}));
    EXPECT_EQ(newSizeFor({4000, 3000}, 0), (Size{0, 0}));
    EXPECT_EQ(newSizeFor({65535, 1}, 65535).width, 0); // beyond 32 bits
}

class Conversion : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString root = dir.path() + QStringLiteral("/");
    CopyOptions options;

    CopyResult copy(const QString& source, const QString& target, qint64 shortSide = 60)
    {
        return BildKorrigierenKopieren(source, target, shortSide, options);
    }
};

TEST_F(Conversion, WritesEachFormatUnderTheUpperCasedExtension)
{
    writePicture(root + QStringLiteral("land.jpg"), 400, 300);
    writePicture(root + QStringLiteral("tall.png"), 300, 400, picture::Format::Png);
    writePicture(root + QStringLiteral("small.bmp"), 30, 20, picture::Format::Bmp);
    const auto before = fixture::snapshot(root);

    EXPECT_EQ(copy(root + QStringLiteral("land.jpg"), root + QStringLiteral("out/land.jpg")).outcome,
              CopyOutcome::Failed); // no such folder
    EXPECT_EQ(copy(root + QStringLiteral("land.jpg"), root + QStringLiteral("c_land.jpg")).outcome,
              CopyOutcome::Written);
    EXPECT_EQ(pictureSize(root + QStringLiteral("c_land.JPG")), (Size{80, 60}));
    EXPECT_EQ(copy(root + QStringLiteral("tall.png"), root + QStringLiteral("c_tall.png")).outcome,
              CopyOutcome::Written);
    EXPECT_EQ(pictureSize(root + QStringLiteral("c_tall.PNG")), (Size{60, 80}));
    EXPECT_EQ(copy(root + QStringLiteral("small.bmp"), root + QStringLiteral("c_small.bmp")).outcome,
              CopyOutcome::Written);
    EXPECT_EQ(pictureSize(root + QStringLiteral("c_small.BMP")), (Size{90, 60})); // enlarged
    EXPECT_TRUE(fixture::unchanged(before));
    EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
}

TEST_F(Conversion, OtherExtensionsAreNotWritten)
{
    writePicture(root + QStringLiteral("b.gif"), 40, 30);
    const CopyResult result = copy(root + QStringLiteral("b.gif"), root + QStringLiteral("c_b.gif"));
    EXPECT_EQ(result.outcome, CopyOutcome::SkippedFormat);
    EXPECT_EQ(util::sizeTest(root + QStringLiteral("c_b.GIF")), -1);
}

// Phones and browsers name JPEGs .jpeg, .jpe or .jfif; the copy keeps that
// name. Scanners write TIFF; the copy is a JPEG at the grade, named .JPG,
// its transparent parts on white.
TEST_F(Conversion, PhotosByTheirUsualNamesAreCopied)
{
    struct Row {
        const char* fixture; // null: a made JPEG
        const char* source;
        const char* written;
    };
    options.quality = 9;
    for (const Row& row : {Row{nullptr, "a.jpeg", "c_a.JPEG"}, Row{nullptr, "b.JPE", "c_b.JPE"},
                           Row{nullptr, "c.jfif", "c_c.JFIF"}, Row{"tiff-lzw.tif", "scan.tif", "c_scan.JPG"},
                           Row{"tiff-rgba-unassociated.tif", "clear.TIFF", "c_clear.JPG"}}) {
        SCOPED_TRACE(row.source);
        const QString source = root + QString::fromUtf8(row.source);
        if (row.fixture == nullptr)
            writePicture(source, 400, 300);
        else
            fixture::copyPictureFixture(QString::fromUtf8(row.fixture), source);
        const CopyResult result = copy(source, root + QStringLiteral("c_") + QString::fromUtf8(row.source));
        ASSERT_EQ(result.outcome, CopyOutcome::Written) << result.reason.toStdString();
        EXPECT_EQ(result.writtenFile, root + QString::fromUtf8(row.written));
        EXPECT_EQ(result.quality, 90);
        const auto written = picture::loadPicture(util::toFsPath(result.writtenFile));
        ASSERT_TRUE(written.ok()) << written.error();
        EXPECT_EQ(written->picture.format, picture::Format::Jpeg);
        EXPECT_EQ(std::min(written->picture.width, written->picture.height), 60);
    }
    // The clear TIFF is (121, 109, 58) throughout, partly at alpha 127: on
    // white its blue rises well above 58 (dropped alpha leaves it there, black
    // below it).
    const auto clear = picture::loadPicture(util::toFsPath(root + QStringLiteral("c_clear.JPG")));
    ASSERT_TRUE(clear.ok());
    double blue = 0;
    for (int y = 0; y < clear->picture.height; ++y)
        for (int x = 0; x < clear->picture.width; ++x)
            blue += clear->picture.row(y)[x * 3]; // BGR rows
    EXPECT_GT(blue / (clear->picture.width * clear->picture.height), 80);
}

// HEIC and AVIF become JPEGs named .JPG, sized by the short-side rule on the
// upright picture; WebP stays WebP, lossless when its source was.
TEST_F(Conversion, PhonePhotosBecomeJpegsAndWebpStaysWebp)
{
    struct Row {
        const char* fixture;
        const char* source;
        const char* written;
        picture::Format format;
        Size size;
    };
    for (const Row& row : {
             Row{"heic-rotated.heic", "turned.HEIC", "c_turned.JPG", picture::Format::Jpeg, {60, 90}},
             Row{"avif-blocks.avif", "blocks.avif", "c_blocks.JPG", picture::Format::Jpeg, {90, 60}},
             Row{"webp-lossless.webp", "base.webp", "c_base.WEBP", picture::Format::Webp, {84, 60}},
         }) {
        SCOPED_TRACE(row.source);
        fixture::copyPictureFixture(QString::fromUtf8(row.fixture), root + QString::fromUtf8(row.source));
        const CopyResult result =
            copy(root + QString::fromUtf8(row.source), root + QStringLiteral("c_") + QString::fromUtf8(row.source));
        ASSERT_EQ(result.outcome, CopyOutcome::Written) << result.reason.toStdString();
        EXPECT_EQ(result.writtenFile, root + QString::fromUtf8(row.written));
        const auto written = picture::loadPicture(util::toFsPath(result.writtenFile));
        ASSERT_TRUE(written.ok()) << written.error();
        EXPECT_EQ(written->picture.format, row.format);
        EXPECT_EQ((Size{written->picture.width, written->picture.height}), row.size);
        EXPECT_EQ(written->picture.lossless, row.format == picture::Format::Webp);
    }
}

// The clear right third of the picture is white in the JPEG copy.
TEST_F(Conversion, HeicAlphaIsComposedOntoWhite)
{
    fixture::copyPictureFixture(QStringLiteral("heic-alpha.heic"), root + QStringLiteral("a.heic"));
    ASSERT_EQ(copy(root + QStringLiteral("a.heic"), root + QStringLiteral("c_a.heic")).outcome, CopyOutcome::Written);
    const auto written = picture::loadPicture(util::toFsPath(root + QStringLiteral("c_a.JPG")));
    ASSERT_TRUE(written.ok()) << written.error();
    ASSERT_EQ(written->picture.width, 90);
    const std::uint8_t* clear = written->picture.row(30) + 85 * 3; // memory row 30 of 60, far right
    const std::uint8_t* opaque = written->picture.row(45) + 5 * 3; // top left: red
    EXPECT_GE(std::min({clear[0], clear[1], clear[2]}), 240);
    EXPECT_GE(opaque[2], 200);
    EXPECT_LE(std::max(opaque[0], opaque[1]), 50);
}

TEST_F(Conversion, OverwriteSwitchKeepsNonEmptyCopiesButNotEmptyOnes)
{
    writePicture(root + QStringLiteral("a.jpg"), 400, 300);
    ASSERT_TRUE(writeBytes(root + QStringLiteral("c_a.JPG"), "old copy"));
    EXPECT_EQ(copy(root + QStringLiteral("a.jpg"), root + QStringLiteral("c_a.jpg")).outcome,
              CopyOutcome::SkippedExisting);
    EXPECT_EQ(readBytes(root + QStringLiteral("c_a.JPG")), QByteArray("old copy"));

    ASSERT_TRUE(writeBytes(root + QStringLiteral("c_a.JPG"), ""));
    EXPECT_EQ(copy(root + QStringLiteral("a.jpg"), root + QStringLiteral("c_a.jpg")).outcome, CopyOutcome::Written);
    EXPECT_EQ(pictureSize(root + QStringLiteral("c_a.JPG")), (Size{80, 60}));

    ASSERT_TRUE(writeBytes(root + QStringLiteral("c_a.JPG"), "old copy"));
    options.overwrite = true;
    EXPECT_EQ(copy(root + QStringLiteral("a.jpg"), root + QStringLiteral("c_a.jpg")).outcome, CopyOutcome::Written);
    EXPECT_EQ(pictureSize(root + QStringLiteral("c_a.JPG")), (Size{80, 60}));
}

TEST_F(Conversion, FileDateModes)
{
    const QString source = root + QStringLiteral("a.jpg");
    writePicture(source, 40, 30);
    const qint64 old = util::modificationTime(source) - 86400 * 30;
    ASSERT_TRUE(util::setModificationTime(source, old));

    options.dateiDatum = 1;
    ASSERT_EQ(copy(source, root + QStringLiteral("keep.jpg")).outcome, CopyOutcome::Written);
    EXPECT_EQ(util::modificationTime(root + QStringLiteral("keep.JPG")), old);

    options.dateiDatum = 2;
    ASSERT_EQ(copy(source, root + QStringLiteral("today.jpg")).outcome, CopyOutcome::Written);
    EXPECT_GT(util::modificationTime(root + QStringLiteral("today.JPG")), old + 86400);
}

TEST_F(Conversion, NeverWritesOverItsOwnSource)
{
    const QString source = root + QStringLiteral("IMG.JPG");
    writePicture(source, 40, 30);
    const QByteArray bytes = readBytes(source);
    options.overwrite = true;
    const CopyResult result = copy(source, root + QStringLiteral("IMG.jpg"));
    EXPECT_EQ(result.outcome, CopyOutcome::Failed);
    EXPECT_FALSE(result.reason.isEmpty());
    EXPECT_EQ(readBytes(source), bytes);
}

TEST_F(Conversion, APictureThatCannotBeScaledIsNotWritten)
{
    writePicture(root + QStringLiteral("a.jpg"), 40, 30);
    EXPECT_EQ(copy(root + QStringLiteral("a.jpg"), root + QStringLiteral("zero.jpg"), 0).outcome, CopyOutcome::Failed);
    EXPECT_EQ(copy(root + QStringLiteral("a.jpg"), root + QStringLiteral("huge.jpg"), 1 << 20).outcome,
              CopyOutcome::Failed);
    EXPECT_EQ(util::sizeTest(root + QStringLiteral("zero.JPG")), -1);
    EXPECT_EQ(util::sizeTest(root + QStringLiteral("huge.JPG")), -1);
}

TEST_F(Conversion, AFolderInTheCopysPlaceFails)
{
    writePicture(root + QStringLiteral("a.jpg"), 40, 30);
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("c_a.JPG")));
    options.overwrite = true;
    EXPECT_EQ(copy(root + QStringLiteral("a.jpg"), root + QStringLiteral("c_a.jpg")).outcome, CopyOutcome::Failed);
    EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
}

} // namespace
