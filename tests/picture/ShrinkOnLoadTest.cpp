#include "picture/DecoderTesting.h"
#include "picture/JpegWriting.h"
#include "picture/formats/JpegScale.h"

#include <gtest/gtest.h>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

// A 4000 x 3000 photo-sized JPEG with flat quadrants: red, green over blue, white.
const std::vector<std::uint8_t>& quadrantJpeg()
{
    static const std::vector<std::uint8_t> bytes =
        writeJpeg({4000, 3000, JCS_RGB, JCS_YCbCr, 75}, [](int x, int y, std::uint8_t* s) {
            const bool right = x >= 2000, lower = y >= 1500;
            s[0] = std::uint8_t(!right || lower ? 255 : 0);
            s[1] = std::uint8_t(right || lower ? 255 : 0);
            s[2] = std::uint8_t(lower ? 255 : 0);
            if (lower && !right)
                s[0] = 0, s[1] = 0; // blue
        });
    return bytes;
}

} // namespace

TEST(ShrinkOnLoad, ScaleIsTheSmallestSimdScaleCoveringThreeHalvesOfTheTarget)
{
    EXPECT_EQ(jpegScaleFor({4000, 3000}, {800, 600}), 4);   // 2000 x 1500; 2/8 gives 1000 < 1200
    EXPECT_EQ(jpegScaleFor({4000, 3000}, {666, 500}), 2);   // 1000 x 750 is exactly 3/2 of 666.67 x 500
    EXPECT_EQ(jpegScaleFor({4000, 3000}, {667, 500}), 4);   // 1000 < 1000.5
    EXPECT_EQ(jpegScaleFor({4000, 3000}, {333, 250}), 1);   // 500 x 375
    EXPECT_EQ(jpegScaleFor({2560, 1600}, {960, 600}), 8);   // 4/8 leaves only 4/3: full size, not the C-only 6/8
    EXPECT_EQ(jpegScaleFor({4000, 3000}, {5000, 3750}), 8); // enlarging: full size
    EXPECT_EQ(jpegScaleFor({7, 5}, {1, 1}), 2);             // sides round up: 2 x 2 covers 1.5
    EXPECT_EQ(jpegScaledSide(4001, 1), 501);
}

TEST(ShrinkOnLoad, DecodesReducedAndAveragesDownToTheTarget)
{
    LoadOptions options;
    Size asked{};
    options.targetSizeFor = [&](Size full) {
        asked = full;
        return Size{800, 600};
    };
    const Result<Decoded> result = decodeBytes(quadrantJpeg(), options);
    ASSERT_TRUE(result.ok()) << result.error();
    const Picture& picture = result->picture;
    EXPECT_EQ(asked, (Size{4000, 3000}));
    EXPECT_EQ(picture.fullSize, (Size{4000, 3000}));
    EXPECT_EQ(picture.width, 800);
    EXPECT_EQ(picture.height, 600);
    EXPECT_EQ(picture.stride, 2400);
    EXPECT_TRUE(near(pixelAt(picture, 10, 10), Rgb{255, 0, 0}, 4));
    EXPECT_TRUE(near(pixelAt(picture, 790, 590), Rgb{255, 255, 255}, 4));
}

TEST(ShrinkOnLoad, WithoutATargetOrForEnlargingTheFullSizeIsDecoded)
{
    const Result<Decoded> result = decodeBytes(quadrantJpeg());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.width, 4000);
    EXPECT_EQ(result->picture.fullSize, (Size{4000, 3000}));

    LoadOptions options;
    options.targetSizeFor = [](Size) { return Size{4400, 3300}; }; // left to the scaler to enlarge
    const Result<Decoded> larger = decodeBytes(quadrantJpeg(), options);
    ASSERT_TRUE(larger.ok()) << larger.error();
    EXPECT_EQ(larger->picture.width, 4000);
    EXPECT_EQ(larger->picture.height, 3000);
}

TEST(ShrinkOnLoad, OrientationSixAsksWithTheUprightSizeAndTurnsTheCopy)
{
    LoadOptions options;
    Size asked{};
    options.targetSizeFor = [&](Size full) {
        asked = full;
        return Size{300, 400};
    };
    const Result<Decoded> result = decodeBytes(withOrientation(quadrantJpeg(), 6), options);
    ASSERT_TRUE(result.ok()) << result.error();
    const Picture& picture = result->picture;
    EXPECT_EQ(asked, (Size{3000, 4000}));
    EXPECT_EQ(picture.fullSize, (Size{3000, 4000}));
    EXPECT_EQ(picture.width, 300); // averaged down, then turned upright
    EXPECT_EQ(picture.height, 400);
    // Turned a quarter clockwise: blue (stored bottom-left) comes to the top-left.
    const std::int32_t right = picture.width - 1, bottom = picture.height - 1;
    EXPECT_TRUE(near(pixelAt(picture, 0, 0), Rgb{0, 0, 255}, 4)) << pixelAt(picture, 0, 0);
    EXPECT_TRUE(near(pixelAt(picture, right, 0), Rgb{255, 0, 0}, 4)) << pixelAt(picture, right, 0);
    EXPECT_TRUE(near(pixelAt(picture, right, bottom), Rgb{0, 255, 0}, 4)) << pixelAt(picture, right, bottom);
    EXPECT_TRUE(near(pixelAt(picture, 0, bottom), Rgb{255, 255, 255}, 4)) << pixelAt(picture, 0, bottom);
}

// A small picture decodes at full size either way, so averaging it on load
// must give exactly the bytes of decoding it whole and scaling it afterwards:
// for colour files, for CMYK files (converted row by row on their way to the
// average) and turned by the Exif orientation.
TEST(ShrinkOnLoad, AveragingOnLoadGivesTheBytesOfScalingAfterwards)
{
    const auto busy = [](int x, int y, std::uint8_t* s) {
        s[0] = std::uint8_t(x * 9 + y), s[1] = std::uint8_t((x / 3 + y) % 2 * 200), s[2] = std::uint8_t(x * y);
    };
    const auto busyCmyk = [&](int x, int y, std::uint8_t* s) {
        busy(x, y, s);
        s[3] = std::uint8_t(255 - x * 4);
    };
    const std::vector<std::uint8_t> files[] = {
        writeJpeg({41, 30, JCS_RGB, JCS_YCbCr, 90}, busy),
        writeJpeg({41, 30, JCS_CMYK, JCS_CMYK, 90}, busyCmyk),
        withOrientation(writeJpeg({41, 30, JCS_RGB, JCS_YCbCr, 90}, busy), 6),
    };
    for (const auto& bytes : files) {
        Result<Decoded> whole = decodeBytes(bytes);
        ASSERT_TRUE(whole.ok()) << whole.error();
        const Size target{whole->picture.width * 2 / 3, whole->picture.height * 2 / 3};
        ASSERT_TRUE(scalePicture(whole->picture, target.width, target.height));

        LoadOptions options;
        options.targetSizeFor = [&](Size) { return target; };
        const Result<Decoded> averaged = decodeBytes(bytes, options);
        ASSERT_TRUE(averaged.ok()) << averaged.error();
        EXPECT_EQ(averaged->picture.width, target.width);
        EXPECT_EQ(averaged->picture.height, target.height);
        EXPECT_EQ(averaged->picture.pixels, whole->picture.pixels);
    }
}
