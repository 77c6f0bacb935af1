#include "picture/MadePictures.h"

#include "picture/Picture.h"
#include "picture/formats/ExifOrientation.h"
#include "picture/scale/AreaAverageScaler.h"
#include "picture/scale/MitchellResampler.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <tuple>

namespace vardolin::picture {
namespace {

using testing::channelAt;
using testing::constantPicture;
using testing::madePicture;

double meanOf(const Picture& picture, int channel)
{
    double sum = 0;
    for (std::int32_t y = 0; y < picture.height; ++y)
        for (std::int32_t x = 0; x < picture.width; ++x)
            sum += channelAt(picture, x, y, channel);
    return sum / (double(picture.width) * picture.height);
}

// A busy picture: gradients and a checker pattern, so averaging matters.
Picture busyPicture(std::int32_t width, std::int32_t height, int depth)
{
    return madePicture(width, height, depth, [](std::int32_t x, std::int32_t y, int c) {
        switch (c) {
        case 0: return std::uint8_t((x * 7 + y * 3) % 256);
        case 1: return std::uint8_t(((x / 3 + y / 2) % 2) * 255);
        case 2: return std::uint8_t((x * y) % 251);
        default: return std::uint8_t(200 + (x + y) % 56);
        }
    });
}

TEST(MitchellContributions, FourToTwoMatchesTheWorkedExample)
{
    const MitchellContributions table = mitchellContributions(4, 2);
    // Scale 0.5: support 4, so each sample has room for 2·4 + 1 weights.
    EXPECT_EQ(table.room, 9);
    // Centre 0.5: first tap floor(−3.5) is negative and becomes 0, last tap ceil(4.5) = 5 is limited to 3.
    EXPECT_EQ(table.first[0], 0);
    EXPECT_EQ(table.last[0], 3);
    // x = |0.5 − k|·0.5 → 0.25, 0.25, 0.75, 1.25; weight f(x)·0.5, then divided by their sum.
    const double raw[4] = {mitchellFilter(0.25) * 0.5, mitchellFilter(0.25) * 0.5, mitchellFilter(0.75) * 0.5,
                           mitchellFilter(1.25) * 0.5};
    EXPECT_NEAR(raw[0], 0.391059, 1e-6);
    EXPECT_NEAR(raw[2], 0.128038, 1e-6);
    EXPECT_NEAR(raw[3], -0.011719, 1e-6);
    const double sum = raw[0] + raw[1] + raw[2] + raw[3];
    for (int k = 0; k < 4; ++k)
        EXPECT_DOUBLE_EQ(table.weightsOf(0)[k], raw[k] / sum);
    // The second sample mirrors the first.
    EXPECT_EQ(table.first[1], 0);
    EXPECT_EQ(table.last[1], 3);
    EXPECT_DOUBLE_EQ(table.weightsOf(1)[0], table.weightsOf(0)[3]);
}

TEST(MitchellContributions, FilterValuesAndRoomRule)
{
    EXPECT_DOUBLE_EQ(mitchellFilter(0.0), 8.0 / 9.0);
    EXPECT_NEAR(mitchellFilter(1.0), 1.0 / 18.0, 1e-15);
    EXPECT_DOUBLE_EQ(mitchellFilter(2.0), 0.0);
    // Enlarging: support 2, room 5; an inner sample spans centre ± 2 without dropping a tap.
    const MitchellContributions up = mitchellContributions(10, 20);
    EXPECT_EQ(up.room, 5);
    EXPECT_EQ(up.first[10], 3); // centre 4.75: floor(2.75) = 2, ceil(6.75) = 7 → 6 taps, so 2 is dropped
    EXPECT_EQ(up.last[10], 7);
}

TEST(ScalePicture, RefusesIconsAndEmptyPictures)
{
    Picture icon = constantPicture(4, 4, 24, 1, 2, 3);
    icon.format = Format::Icon;
    EXPECT_FALSE(scalePicture(icon, 2, 2));
    EXPECT_FALSE(scalePicture(icon, 4, 4)); // even at its own size

    Picture negative = constantPicture(4, 4, 24, 1, 2, 3);
    negative.height = -4; // as a top-down file reports it
    EXPECT_FALSE(scalePicture(negative, 2, 2));
}

TEST(ScalePicture, SameSizeAndFailuresLeaveThePictureAlone)
{
    Picture picture = busyPicture(5, 3, 24);
    const Picture before = picture;
    EXPECT_TRUE(scalePicture(picture, 5, 3));
    EXPECT_EQ(picture.pixels, before.pixels);

    EXPECT_FALSE(scalePicture(picture, 0, 3));
    EXPECT_FALSE(scalePicture(picture, 4, -2));
    EXPECT_FALSE(scalePicture(picture, -65535, -65535));
    EXPECT_FALSE(scalePicture(picture, 70000, 3));
    EXPECT_EQ(picture.width, 5);
    EXPECT_EQ(picture.height, 3);
    EXPECT_EQ(picture.pixels, before.pixels);
}

class ScaleEveryWay : public ::testing::TestWithParam<std::tuple<int, ScaleMode>> {};

TEST_P(ScaleEveryWay, OutputSizeAndDepthAreExact)
{
    const auto [depth, mode] = GetParam();
    for (const auto& [w, h] : {std::pair{7, 5}, std::pair{1, 1}, std::pair{33, 2}, std::pair{3, 40}}) {
        Picture picture = busyPicture(19, 13, depth);
        ASSERT_TRUE(scalePicture(picture, w, h, mode));
        EXPECT_EQ(picture.width, w);
        EXPECT_EQ(picture.height, h);
        EXPECT_EQ(picture.depth, depth);
        EXPECT_EQ(picture.stride, strideFor(w, depth));
        EXPECT_EQ(picture.pixels.size(), std::size_t(picture.stride) * std::size_t(h));
    }
}

TEST_P(ScaleEveryWay, ConstantPictureStaysConstant)
{
    const auto [depth, mode] = GetParam();
    for (const auto& [w, h] : {std::pair{7, 5}, std::pair{40, 3}, std::pair{100, 77}, std::pair{1, 1}}) {
        Picture picture = constantPicture(37, 23, depth, 13, 128, 254, 77);
        ASSERT_TRUE(scalePicture(picture, w, h, mode));
        for (std::int32_t y = 0; y < h; ++y) {
            for (std::int32_t x = 0; x < w; ++x) {
                ASSERT_EQ(channelAt(picture, x, y, 0), 13) << w << "x" << h << " at " << x << "," << y;
                ASSERT_EQ(channelAt(picture, x, y, 1), 128);
                ASSERT_EQ(channelAt(picture, x, y, 2), 254);
                if (depth == 32) {
                    ASSERT_EQ(channelAt(picture, x, y, 3), 77);
                }
            }
        }
    }
}

TEST_P(ScaleEveryWay, OnePixelAndOneLineSourcesGrowAndShrink)
{
    const auto [depth, mode] = GetParam();
    for (const auto& [sw, sh, dw, dh] :
         {std::array{1, 1, 5, 3}, std::array{1, 9, 4, 2}, std::array{9, 1, 1, 1}, std::array{300, 1, 7, 1}}) {
        Picture picture = constantPicture(sw, sh, depth, 40, 80, 120, 160);
        ASSERT_TRUE(scalePicture(picture, dw, dh, mode));
        EXPECT_EQ(channelAt(picture, dw - 1, dh - 1, 2), 120) << sw << "x" << sh << " to " << dw << "x" << dh;
    }
}

INSTANTIATE_TEST_SUITE_P(DepthsAndModes, ScaleEveryWay,
                         ::testing::Combine(::testing::Values(24, 32),
                                            ::testing::Values(ScaleMode::Smooth, ScaleMode::Raw)));

TEST(AreaAverage, CoversFractionalPixelsExactly)
{
    // Three pixels into two: each destination pixel covers one and a half source pixels.
    const std::uint8_t values[3] = {0, 90, 240};
    Picture picture = madePicture(3, 1, 24, [&](std::int32_t x, std::int32_t, int) { return values[x]; });
    ASSERT_TRUE(scalePicture(picture, 2, 1));
    EXPECT_EQ(channelAt(picture, 0, 0, 0), 30);  // (0 + 90·0.5) / 1.5
    EXPECT_EQ(channelAt(picture, 1, 0, 0), 190); // (90·0.5 + 240) / 1.5
    // Four rows into one: the plain mean, rounded.
    Picture column = madePicture(1, 4, 24, [](std::int32_t, std::int32_t y, int) { return std::uint8_t(y * 3); });
    ASSERT_TRUE(scalePicture(column, 1, 1));
    EXPECT_EQ(channelAt(column, 0, 0, 0), 5); // 18 / 4 = 4.5 rounds up
}

TEST(AreaAverage, EnlargingInterpolatesLinearly)
{
    Picture picture = madePicture(2, 1, 24, [](std::int32_t x, std::int32_t, int) { return std::uint8_t(x * 200); });
    ASSERT_TRUE(scalePicture(picture, 4, 1));
    // Centres −0.25, 0.25, 0.75, 1.25 in source pixels: held, 1/4, 3/4, held.
    EXPECT_EQ(channelAt(picture, 0, 0, 0), 0);
    EXPECT_EQ(channelAt(picture, 1, 0, 0), 50);
    EXPECT_EQ(channelAt(picture, 2, 0, 0), 150);
    EXPECT_EQ(channelAt(picture, 3, 0, 0), 200);
}

TEST(AreaAverage, MeanMovesByLessThanOne)
{
    for (const auto& [w, h] : {std::pair{60, 40}, std::pair{17, 9}, std::pair{1, 1}, std::pair{97, 13}}) {
        Picture picture = busyPicture(300, 200, 24);
        const double before[3] = {meanOf(picture, 0), meanOf(picture, 1), meanOf(picture, 2)};
        ASSERT_TRUE(scalePicture(picture, w, h));
        for (int c = 0; c < 3; ++c)
            EXPECT_LT(std::fabs(meanOf(picture, c) - before[c]), 1.0) << w << "x" << h << " channel " << c;
    }
}

// Shrink-on-load averages the stored rows as they arrive and turns the small
// copy upright afterwards; the copy must hold the very bytes of turning the
// whole picture upright first and averaging it then, in every orientation
// (mirrored axes take the upright weights backwards, rounding remainders
// included) and for sizes that do not divide.
TEST(AreaAverage, StreamedStoredRowsTurnedAfterwardsEqualTurnedFirst)
{
    const Picture stored = busyPicture(53, 38, 24);
    for (const auto& [w, h] : {std::pair{20, 14}, std::pair{38, 53}, std::pair{7, 29}, std::pair{1, 1}}) {
        for (int orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(std::to_string(orientation) + " to " + std::to_string(w) + "x" + std::to_string(h));
            Picture expected = stored;
            applyOrientation(expected, orientation);
            if (!onlyShrinks(expected.width, expected.height, w, h))
                continue;
            ASSERT_TRUE(scalePicture(expected, w, h));

            const bool turned = swapsSides(orientation);
            Picture streamed = constantPicture(turned ? h : w, turned ? w : h, 24, 1, 2, 3);
            StreamingAreaAverage average(stored.width, stored.height, w, h, storedTurnOf(orientation),
                                         {streamed.pixels.data(), streamed.width, streamed.height, streamed.stride});
            for (std::int32_t top = 0; top < stored.height; ++top)
                average.addRow(stored.row(stored.height - 1 - top));
            average.finish();
            applyOrientation(streamed, orientation);
            ASSERT_EQ(streamed.width, w);
            ASSERT_EQ(streamed.height, h);
            EXPECT_EQ(streamed.pixels, expected.pixels);
        }
    }
}

TEST(AreaAverage, StreamMissingRowsCountAsBlack)
{
    const Picture stored = constantPicture(8, 8, 24, 200, 200, 200);
    Picture half = constantPicture(2, 2, 24, 9, 9, 9);
    StreamingAreaAverage average(8, 8, 2, 2, {}, {half.pixels.data(), 2, 2, half.stride});
    for (std::int32_t top = 0; top < 4; ++top)
        average.addRow(stored.row(top));
    average.finish();
    EXPECT_EQ(channelAt(half, 1, 1, 0), 200); // the top half arrived (the store is bottom-up)
    EXPECT_EQ(channelAt(half, 1, 0, 0), 0);   // the bottom half never did
}

TEST(Mitchell, ScalesRowsAndColumnsWithTheTable)
{
    // A 4 × 1 picture to 2 × 1: the rows pass uses the worked 4-to-2 table and
    // the columns pass (1 to 1, scale 1) has the single tap of weight f(0)/f(0) = 1.
    const std::uint8_t values[4] = {10, 50, 200, 250};
    Picture picture = madePicture(
        4, 1, 32, [&](std::int32_t x, std::int32_t, int c) { return c == 3 ? std::uint8_t(255) : values[x]; });
    ASSERT_TRUE(scalePicture(picture, 2, 1));
    const MitchellContributions table = mitchellContributions(4, 2);
    for (int i = 0; i < 2; ++i) {
        double sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += values[k] * table.weightsOf(i)[k];
        EXPECT_EQ(channelAt(picture, i, 0, 0), std::uint8_t(sum + 0.5)) << i;
        EXPECT_EQ(channelAt(picture, i, 0, 3), 255);
    }
}

TEST(Mitchell, OvershootIsLimitedToTheByteRange)
{
    // A hard edge overshoots with the negative lobes; the stored bytes stay 0…255.
    Picture picture =
        madePicture(8, 8, 32, [](std::int32_t x, std::int32_t, int) { return std::uint8_t(x < 4 ? 0 : 255); });
    ASSERT_TRUE(scalePicture(picture, 20, 8));
    bool sawBlack = false, sawWhite = false;
    for (std::int32_t x = 0; x < 20; ++x) {
        sawBlack = sawBlack || channelAt(picture, x, 3, 0) == 0;
        sawWhite = sawWhite || channelAt(picture, x, 3, 0) == 255;
    }
    EXPECT_TRUE(sawBlack);
    EXPECT_TRUE(sawWhite);
}

TEST(Nearest, RepeatsAndDropsWholePixels)
{
    Picture picture =
        madePicture(4, 2, 24, [](std::int32_t x, std::int32_t y, int c) { return std::uint8_t(x * 10 + y * 100 + c); });
    Picture wider = picture;
    ASSERT_TRUE(scalePicture(wider, 8, 2, ScaleMode::Raw));
    for (std::int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(channelAt(wider, x, 1, 2), (x / 2) * 10 + 100 + 2);
    ASSERT_TRUE(scalePicture(picture, 2, 1, ScaleMode::Raw));
    EXPECT_EQ(channelAt(picture, 0, 0, 0), 10 + 100); // centres 1 and 3 of the columns, row 1
    EXPECT_EQ(channelAt(picture, 1, 0, 0), 30 + 100);
}

} // namespace
} // namespace vardolin::picture
