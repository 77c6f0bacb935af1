#include "picture/DecoderTesting.h"
#include "picture/JpegScale.h"
#include "picture/JpegWriting.h"

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

TEST(ShrinkOnLoad, ScaleIsTheSmallestThatStillCovers)
{
    EXPECT_EQ(jpegScaleCovering({4000, 3000}, {800, 600}), 2); // 1000 x 750
    EXPECT_EQ(jpegScaleCovering({4000, 3000}, {500, 375}), 1); // exactly an eighth
    EXPECT_EQ(jpegScaleCovering({4000, 3000}, {501, 375}), 2);
    EXPECT_EQ(jpegScaleCovering({4000, 3000}, {4000, 3000}), 8);
    EXPECT_EQ(jpegScaleCovering({4000, 3000}, {5000, 3750}), 8); // enlarging: full size
    EXPECT_EQ(jpegScaleCovering({7, 5}, {1, 1}), 1);             // sides round up
    EXPECT_EQ(jpegScaledSide(4001, 1), 501);
}

TEST(ShrinkOnLoad, DecodeTargetLeavesTheScalerTwoPixelsPerCopyPixel)
{
    EXPECT_EQ(withAveragingMargin({800, 600}), (Size{1600, 1200}));
    EXPECT_EQ(withAveragingMargin({INT32_MAX, 1}), (Size{INT32_MAX, 2}));
}

TEST(ShrinkOnLoad, DecodesAtAReducedScaleThatCoversTheTarget)
{
    LoadOptions options;
    Size asked{};
    options.targetSizeFor = [&](Size full) {
        asked = full;
        return Size{800, 600};
    };
    const Result<Picture> result = decodeBytes(quadrantJpeg(), options);
    ASSERT_TRUE(result.ok()) << result.error();
    const Picture& picture = result.value();
    EXPECT_EQ(asked, (Size{4000, 3000}));
    EXPECT_EQ(picture.fullSize, (Size{4000, 3000}));
    EXPECT_EQ(picture.width, 2000); // covers twice 800 x 600
    EXPECT_EQ(picture.height, 1500);
    EXPECT_EQ(picture.stride, 6000);
    EXPECT_TRUE(near(pixelAt(picture, 10, 10), Rgb{255, 0, 0}, 4));
    EXPECT_TRUE(near(pixelAt(picture, 1990, 1490), Rgb{255, 255, 255}, 4));
}

TEST(ShrinkOnLoad, WithoutATargetTheFullSizeIsDecoded)
{
    const Result<Picture> result = decodeBytes(quadrantJpeg());
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->width, 4000);
    EXPECT_EQ(result->fullSize, (Size{4000, 3000}));
}

TEST(ShrinkOnLoad, OrientationSixAsksWithTheUprightSizeAndTurnsTheStore)
{
    LoadOptions options;
    Size asked{};
    options.targetSizeFor = [&](Size full) {
        asked = full;
        return Size{300, 400};
    };
    const Result<Picture> result = decodeBytes(withOrientation(quadrantJpeg(), 6), options);
    ASSERT_TRUE(result.ok()) << result.error();
    const Picture& picture = result.value();
    EXPECT_EQ(asked, (Size{3000, 4000}));
    EXPECT_EQ(picture.fullSize, (Size{3000, 4000}));
    EXPECT_EQ(picture.width, 750); // covers twice 300 x 400
    EXPECT_EQ(picture.height, 1000);
    // Turned a quarter clockwise: blue (stored bottom-left) comes to the top-left.
    const std::int32_t right = picture.width - 1, bottom = picture.height - 1;
    EXPECT_TRUE(near(pixelAt(picture, 0, 0), Rgb{0, 0, 255}, 4)) << pixelAt(picture, 0, 0);
    EXPECT_TRUE(near(pixelAt(picture, right, 0), Rgb{255, 0, 0}, 4)) << pixelAt(picture, right, 0);
    EXPECT_TRUE(near(pixelAt(picture, right, bottom), Rgb{0, 255, 0}, 4)) << pixelAt(picture, right, bottom);
    EXPECT_TRUE(near(pixelAt(picture, 0, bottom), Rgb{255, 255, 255}, 4)) << pixelAt(picture, 0, bottom);
}
