#include "picture/MadePictures.h"
#include "picture/TempFolder.h"

#include "picture/Picture.h"
#include "picture/formats/Bmp.h"

#include <gtest/gtest.h>

#include <vector>

namespace vardolin::picture {
namespace {

using testing::constantPicture;
using testing::fileBytes;
using testing::littleEndian32;
using testing::madePicture;
using testing::TempFolder;

Picture patterned(std::int32_t width, std::int32_t height, int depth)
{
    return madePicture(width, height, depth, [](std::int32_t x, std::int32_t y, int c) {
        return std::uint8_t((x * 50 + y * 20 + c * 90) % 256);
    });
}

struct HeaderCase {
    int depth;
    std::uint32_t rowLength;
    std::uint32_t pixelOffset;
};

class BmpHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BmpHeaders, EveryFieldIsExact)
{
    const HeaderCase expected = GetParam();
    TempFolder folder;
    const Picture picture = patterned(5, 3, 24);
    ASSERT_TRUE(savePicture(picture, folder / "h.bmp", Format::Bmp, 7, expected.depth).ok());
    const auto bytes = fileBytes(folder / "h.bmp");
    const std::uint32_t imageSize = 3 * expected.rowLength;
    ASSERT_EQ(bytes.size(), expected.pixelOffset + imageSize);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(littleEndian32(bytes, 2), expected.pixelOffset + imageSize);
    EXPECT_EQ(littleEndian32(bytes, 6), 0u); // both reserved words
    EXPECT_EQ(littleEndian32(bytes, 10), expected.pixelOffset);
    EXPECT_EQ(littleEndian32(bytes, 14), 40u);
    EXPECT_EQ(littleEndian32(bytes, 18), 5u);
    EXPECT_EQ(littleEndian32(bytes, 22), 3u); // positive: rows bottom-up
    EXPECT_EQ(bytes[26] | bytes[27] << 8, 1);
    EXPECT_EQ(bytes[28] | bytes[29] << 8, expected.depth);
    EXPECT_EQ(littleEndian32(bytes, 30), 0u); // no compression
    EXPECT_EQ(littleEndian32(bytes, 34), imageSize);
    for (std::size_t field = 38; field < 54; field += 4)
        EXPECT_EQ(littleEndian32(bytes, field), 0u) << "field at " << field;
    EXPECT_EQ(bmpRowLength(5, expected.depth), expected.rowLength);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpHeaders,
                         ::testing::Values(HeaderCase{1, 4, 54 + 8}, HeaderCase{4, 4, 54 + 64},
                                           HeaderCase{8, 8, 54 + 1024}, HeaderCase{24, 16, 54},
                                           HeaderCase{32, 20, 54}));

TEST(BmpEncoder, FullColourRowsAreTheStoreBottomUp)
{
    TempFolder folder;
    const Picture picture = patterned(5, 3, 24);
    ASSERT_TRUE(savePicture(picture, folder / "a.bmp", Format::Bmp, 7).ok());
    const auto bytes = fileBytes(folder / "a.bmp");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.end()), picture.pixels);
}

TEST(BmpEncoder, TwentyFourBitRowsAtDepth32GetAZeroFourthByte)
{
    // As for a CMYK JPEG, held at 24 bits with source depth 32.
    TempFolder folder;
    Picture picture = patterned(3, 2, 24);
    picture.sourceDepth = 32;
    ASSERT_TRUE(savePicture(picture, folder / "a.bmp", Format::Bmp, 7).ok());
    const auto bytes = fileBytes(folder / "a.bmp");
    ASSERT_EQ(bytes[28], 32);
    ASSERT_EQ(bytes.size(), 54u + 2 * 12);
    for (std::int32_t y = 0; y < 2; ++y) {
        for (std::int32_t x = 0; x < 3; ++x) {
            const std::uint8_t* written = &bytes[54 + std::size_t(y) * 12 + std::size_t(x) * 4];
            EXPECT_EQ(written[0], picture.row(y)[x * 3]);
            EXPECT_EQ(written[2], picture.row(y)[x * 3 + 2]);
            EXPECT_EQ(written[3], 0);
        }
    }
}

TEST(BmpEncoder, ThirtyTwoBitRowsAtDepth24AreComposedOntoWhite)
{
    // Only reachable through the encoder itself: saving composes such pictures first.
    TempFolder folder;
    const Picture picture = constantPicture(2, 1, 32, 0, 0, 200, 128);
    const RowSource rows{picture.pixels.data(), 2, 1, picture.stride, 32};
    const Result<void> written = encodeBmp(rows, folder / "a.bmp", {});
    ASSERT_TRUE(written.ok()) << written.error();
    const auto bytes = fileBytes(folder / "a.bmp");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.end()),
              (std::vector<std::uint8_t>{127, 127, 227, 127, 127, 227, 0, 0}));
}

TEST(BmpEncoder, OneBitRowsArePackedHighBitFirst)
{
    // Black and white stripes map exactly onto the fixed black/white palette.
    TempFolder folder;
    const Picture picture =
        madePicture(10, 2, 24, [](std::int32_t x, std::int32_t, int) { return std::uint8_t(x % 3 == 0 ? 255 : 0); });
    ASSERT_TRUE(savePicture(picture, folder / "a.bmp", Format::Bmp, 7, 1).ok());
    const auto bytes = fileBytes(folder / "a.bmp");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 54, bytes.begin() + 62),
              (std::vector<std::uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));
    // x = 0, 3, 6, 9 white: 1001 0010 | 01.. ....
    EXPECT_EQ(bytes[62], 0x92);
    EXPECT_EQ(bytes[63], 0x40);
    EXPECT_EQ(bytes[64], 0);
    EXPECT_EQ(bytes[65], 0);
}

TEST(BmpEncoder, FourBitRowsPutTheFirstPixelInTheHighHalf)
{
    TempFolder folder;
    const std::uint8_t colours[2][3] = {{10, 200, 30}, {250, 20, 90}};
    const Picture picture =
        madePicture(3, 1, 24, [&](std::int32_t x, std::int32_t, int c) { return colours[x == 1][c]; });
    ASSERT_TRUE(savePicture(picture, folder / "a.bmp", Format::Bmp, 7, 4).ok());
    const auto bytes = fileBytes(folder / "a.bmp");
    const std::size_t pixels = 54 + 64;
    const int first = bytes[pixels] >> 4, second = bytes[pixels] & 15, third = bytes[pixels + 1] >> 4;
    EXPECT_EQ(first, third);
    EXPECT_NE(first, second);
    EXPECT_EQ(bytes[pixels + 1] & 15, 0);
    // The table entry of the first pixel is its colour, near enough.
    EXPECT_NEAR(bytes[54 + first * 4], 10, 8);
    EXPECT_NEAR(bytes[54 + first * 4 + 1], 200, 8);
    EXPECT_EQ(bytes[54 + first * 4 + 3], 0);
}

TEST(BmpEncoder, UnwritableDepthCreatesNoFile)
{
    TempFolder folder;
    const Picture picture = patterned(3, 2, 24);
    const RowSource rows{picture.pixels.data(), 3, 2, picture.stride, 24};
    EXPECT_FALSE(encodeBmp(rows, folder / "a.bmp", {.outputDepth = 2}).ok());
    EXPECT_FALSE(encodeBmp(rows, folder / "a.bmp", {.outputDepth = 16}).ok());
    EXPECT_FALSE(std::filesystem::exists(folder / "a.bmp"));
}

} // namespace
} // namespace vardolin::picture
