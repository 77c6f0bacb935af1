#include "DecoderTesting.h"
#include "MadePictures.h"
#include "TempFolder.h"

#include "picture/ComposeOnWhite.h"
#include "picture/Picture.h"
#include "picture/formats/Jpeg.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#if defined(__unix__) || defined(__APPLE__)
#include <sys/resource.h>
#define VARDOLIN_HAVE_FILE_SIZE_LIMIT 1
#endif

namespace vardolin::picture {
namespace {

using testing::constantPicture;
using testing::fileBytes;
using testing::littleEndian32;
using testing::madePicture;
using testing::TempFolder;

TEST(ComposeOnWhite, WorkedNumbers)
{
    // Blue 0, green 0, red 200 at alpha 128 over white.
    EXPECT_EQ(composeOnWhite(0, 128), 127);   // (−255·128 + 65025) / 255
    EXPECT_EQ(composeOnWhite(200, 128), 227); // (−55·128 + 65025) / 255
    EXPECT_EQ(composeOnWhite(0, 0), 255);     // fully transparent: white
    EXPECT_EQ(composeOnWhite(37, 255), 37);   // opaque: unchanged
    EXPECT_EQ(composeOnWhite(255, 1), 255);
    EXPECT_EQ(composeOnWhite(0, 1), 254);
}

TEST(JpegQuality, GradeIsLimitedThenTimesTen)
{
    EXPECT_EQ(jpegQualityForGrade(7), 70);
    EXPECT_EQ(jpegQualityForGrade(12), 100);
    EXPECT_EQ(jpegQualityForGrade(-3), 0);
    EXPECT_EQ(jpegQualityForGrade(0), 0);
    EXPECT_EQ(jpegQualityForGrade(10), 100);
}

TEST(SavePicture, RefusesWhatCannotBeWritten)
{
    TempFolder folder;
    const Picture picture = constantPicture(4, 3, 24, 1, 2, 3);
    EXPECT_FALSE(savePicture(picture, "", Format::Jpeg, 3).ok());

    Picture icon = picture;
    icon.format = Format::Icon;
    EXPECT_FALSE(savePicture(icon, folder / "icon.bmp", Format::Bmp, 7).ok());

    Picture empty = picture;
    empty.pixels.clear();
    EXPECT_FALSE(savePicture(empty, folder / "empty.bmp", Format::Bmp, 7).ok());

    EXPECT_FALSE(savePicture(picture, folder / "a.tif", Format::Tiff, 7).ok());
    const Result<void> odd = savePicture(picture, folder / "a.png", Format::Png, 7, 16);
    EXPECT_FALSE(odd.ok());
    EXPECT_FALSE(odd.error().empty());
    EXPECT_FALSE(savePicture(picture, folder / "a.bmp", Format::Bmp, 7, 2).ok()); // BMP has no 2-bit rows
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST(SavePicture, TargetThatCannotBeCreatedLeavesNothing)
{
    TempFolder folder;
    std::ofstream(folder / "plain-file") << "x";
    const Picture picture = constantPicture(8, 8, 24, 10, 20, 30);
    for (Format format : {Format::Jpeg, Format::Png, Format::Bmp}) {
        const Result<void> result = savePicture(picture, folder / "plain-file" / "copy", format, 7);
        EXPECT_FALSE(result.ok());
        EXPECT_FALSE(result.error().empty());
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "plain-file" / "copy"));
}

#ifdef VARDOLIN_HAVE_FILE_SIZE_LIMIT
// The file size limit makes a write fail halfway, as a full disk would.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(SavePicture, FailedWriteRemovesThePartialFile)
{
    TempFolder folder;
    const Picture picture = madePicture(300, 200, 24, [](std::int32_t x, std::int32_t y, int c) {
        return std::uint8_t((x * 13 + y * 7 + c * 50) % 256);
    });
    for (const auto& [format, name] :
         {std::pair{Format::Jpeg, "cut.jpg"}, std::pair{Format::Png, "cut.png"}, std::pair{Format::Bmp, "cut.bmp"}}) {
        Result<void> result;
        {
            const FileSizeLimit limit(1000);
            result = savePicture(picture, folder / name, format, 10);
        }
        EXPECT_FALSE(result.ok()) << name;
        EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
    }
}
#endif

TEST(SavePicture, ReplacesAnExistingFile)
{
    TempFolder folder;
    std::ofstream(folder / "old.bmp") << std::string(5000, 'x');
    ASSERT_TRUE(savePicture(constantPicture(2, 2, 24, 1, 2, 3), folder / "old.bmp", Format::Bmp, 7).ok());
    EXPECT_EQ(std::filesystem::file_size(folder / "old.bmp"), 54u + 2 * 8);
}

// Sound behaviour: a source depth the encoder cannot write is written in full
// colour instead of failing, but only when the caller left the depth open.
TEST(SavePicture, UnwritableSourceDepthFallsBackToFullColour)
{
    TempFolder folder;
    Picture gray16 = constantPicture(3, 2, 24, 90, 90, 90);
    gray16.sourceDepth = 16;
    ASSERT_TRUE(savePicture(gray16, folder / "gray.png", Format::Png, 7).ok());
    EXPECT_EQ(fileBytes(folder / "gray.png")[25], 2); // colour type RGB
    ASSERT_TRUE(savePicture(gray16, folder / "gray.bmp", Format::Bmp, 7).ok());
    EXPECT_EQ(fileBytes(folder / "gray.bmp")[28], 24);
    ASSERT_TRUE(savePicture(gray16, folder / "gray.jpg", Format::Jpeg, 7).ok());

    Picture twoBit = constantPicture(3, 2, 24, 0, 0, 0);
    twoBit.sourceDepth = 2;
    ASSERT_TRUE(savePicture(twoBit, folder / "two.bmp", Format::Bmp, 7).ok());
    EXPECT_EQ(fileBytes(folder / "two.bmp")[28], 24);

    Picture grayAlpha16 = constantPicture(3, 2, 32, 90, 90, 90, 100);
    grayAlpha16.sourceDepth = 16;
    ASSERT_TRUE(savePicture(grayAlpha16, folder / "alpha.png", Format::Png, 7).ok());
    EXPECT_EQ(fileBytes(folder / "alpha.png")[25], 6); // RGBA keeps the alpha
    ASSERT_TRUE(savePicture(grayAlpha16, folder / "alpha.bmp", Format::Bmp, 7).ok());
    EXPECT_EQ(fileBytes(folder / "alpha.bmp")[28], 24);
}

// A TIFF is held at 32 bits whether or not it has alpha; a 16-bit one keeps
// an alpha channel in its copy only when the file had one.
TEST(SavePicture, SixteenBitTiffIsWrittenWithAlphaOnlyWhenItHasOne)
{
    TempFolder folder;
    for (const auto& [name, colourType] :
         {std::pair{"tiff-rgb16.tif", 2}, std::pair{"tiff-rgba16-unassociated.tif", 6}}) {
        const Result<Decoded> picture = loadPicture(testing::fixturePath(name));
        ASSERT_TRUE(picture.ok()) << name << ": " << picture.error();
        ASSERT_TRUE(savePicture(picture->picture, folder / "copy.png", Format::Png, 7).ok()) << name;
        EXPECT_EQ(fileBytes(folder / "copy.png")[25], colourType) << name;
    }
}

TEST(SavePicture, ThirtyTwoBitPictureIsComposedUnlessKeptAtDepth32)
{
    TempFolder folder;
    const Picture picture = constantPicture(1, 1, 32, 0, 0, 200, 128);
    ASSERT_TRUE(savePicture(picture, folder / "kept.bmp", Format::Bmp, 7, 32).ok());
    const auto kept = fileBytes(folder / "kept.bmp");
    EXPECT_EQ(std::vector<std::uint8_t>(kept.begin() + 54, kept.end()), (std::vector<std::uint8_t>{0, 0, 200, 128}));

    ASSERT_TRUE(savePicture(picture, folder / "white.bmp", Format::Bmp, 7, 24).ok());
    const auto white = fileBytes(folder / "white.bmp");
    EXPECT_EQ(std::vector<std::uint8_t>(white.begin() + 54, white.begin() + 57),
              (std::vector<std::uint8_t>{127, 127, 227}));
}

} // namespace
} // namespace vardolin::picture

namespace vardolin::picture {
namespace {

// Every format at every depth it accepts, on pictures down to one pixel: the
// row packing and the error diffusion must stay inside their buffers.
TEST(SavePicture, EveryFormatDepthAndTinySizeWrites)
{
    TempFolder folder;
    for (int pictureDepth : {24, 32}) {
        for (const auto& [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{17, 5}}) {
            const Picture picture = madePicture(w, h, pictureDepth, [](std::int32_t x, std::int32_t y, int c) {
                return std::uint8_t(x * 60 + y * 25 + c * 80);
            });
            for (int depth : {1, 2, 4, 8, 24, 32}) {
                for (const auto& [format, name] :
                     {std::pair{Format::Jpeg, "t.jpg"}, std::pair{Format::Png, "t.png"},
                      std::pair{Format::Bmp, "t.bmp"}, std::pair{Format::Webp, "t.webp"}}) {
                    const Result<void> result = savePicture(picture, folder / name, format, 5, depth);
                    const bool expected = !(format == Format::Bmp && depth == 2)
                                          && !(format == Format::Webp && depth != 24 && depth != 32);
                    EXPECT_EQ(result.ok(), expected) << name << " " << w << "x" << h << " at " << depth << " from "
                                                     << pictureDepth << ": " << result.error();
                    EXPECT_EQ(std::filesystem::exists(folder / name), expected);
                    std::filesystem::remove(folder / name);
                }
            }
        }
    }
}

} // namespace
} // namespace vardolin::picture
