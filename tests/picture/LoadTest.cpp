#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

// An icon directory of the given entries (width, height, bit count), each
// pointing at a 40-byte bitmap header of that size with no pixels behind it.
std::vector<std::uint8_t> makeIcon(const std::vector<std::array<int, 3>>& entries)
{
    std::vector<std::uint8_t> bytes(6 + 16 * entries.size());
    auto put16 = [&](std::size_t at, int v) {
        std::uint16_t x = std::uint16_t(v);
        std::memcpy(&bytes[at], &x, 2);
    };
    auto put32 = [&](std::size_t at, std::int64_t v) {
        std::uint32_t x = std::uint32_t(v);
        std::memcpy(&bytes[at], &x, 4);
    };
    put16(2, 1);
    put16(4, int(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto [width, height, bits] = entries[i];
        const std::size_t entry = 6 + 16 * i;
        const std::size_t image = bytes.size();
        bytes[entry] = std::uint8_t(width % 256);
        bytes[entry + 1] = std::uint8_t(height % 256);
        put16(entry + 4, 1);
        put16(entry + 6, bits);
        put32(entry + 8, 40);
        put32(entry + 12, std::int64_t(image));
        bytes.resize(image + 40);
        put32(image, 40);
        put32(image + 4, width);
        put32(image + 8, 2 * height);
        put16(image + 12, 1);
        put16(image + 14, bits);
    }
    return bytes;
}

std::vector<std::uint8_t> bmp24(std::int32_t width, std::int32_t height)
{
    const std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> bytes(54 + stride * std::size_t(height), 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
    bytes[0] = 'B', bytes[1] = 'M';
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    bytes[26] = 1;
    bytes[28] = 24;
    return bytes;
}

} // namespace

TEST(LoadPicture, MissingFileFails)
{
    const Result<Decoded> result = loadFixture("no-such-file.jpg");
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error().empty());
}

TEST(LoadPicture, EmptyAndUnknownBytesAreNotAPicture)
{
    for (const std::vector<std::uint8_t>& bytes :
         {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{'G', 'I', 'F', '8', '9', 'a', 0, 0}}) {
        const Result<Decoded> result = decodeBytes(bytes);
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(result.error(), "not a picture file this program can read");
    }
    EXPECT_FALSE(decodePicture(nullptr, 0).ok());
}

TEST(LoadPicture, WideHeaderUnderTheBudgetLoads)
{
    const Result<Decoded> result = decodeBytes(bmp24(32768, 2));
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.width, 32768);
    EXPECT_EQ(result->picture.fullSize, (Size{32768, 2}));
    EXPECT_EQ(result->picture.stride, 3 * 32768);
}

TEST(LoadPicture, BudgetIsAParameter)
{
    LoadOptions options;
    options.limits.pixelBudget = 100;
    EXPECT_EQ(decodeBytes(bmp24(11, 10), options).error(), "picture too large: 11 x 10 pixels");
    EXPECT_TRUE(decodeBytes(bmp24(10, 10), options).ok());
    options = {};
    options.limits.maxSide = 16;
    EXPECT_FALSE(decodeBytes(bmp24(17, 1), options).ok());
    EXPECT_TRUE(decodeBytes(bmp24(16, 1), options).ok());
}

TEST(LoadPicture, IconLoadsWithoutPixels)
{
    const Result<Decoded> result = loadFixture("icon-16-and-32.ico");
    ASSERT_TRUE(result.ok()) << result.error();
    const Picture& picture = result->picture;
    EXPECT_EQ(picture.format, Format::Icon);
    EXPECT_FALSE(picture.hasStore());
    EXPECT_EQ(picture.width, 16);
    EXPECT_EQ(picture.height, 16);
    EXPECT_EQ(picture.depth, 8);
    EXPECT_EQ(picture.sourceDepth, 8);
    EXPECT_TRUE(picture.pixels.empty());

    const Result<Decoded> png = loadFixture("icon-256-png.ico");
    ASSERT_TRUE(png.ok()) << png.error();
    EXPECT_EQ(png->picture.width, 256);
    EXPECT_EQ(png->picture.depth, 32);
}

TEST(LoadPicture, IconTakesTheDeepestImageOfTheFirstEntrysSize)
{
    // 16x16 at 4 bits first; 32x32 at 32 bits is another size and does not count.
    const auto bytes = makeIcon({{16, 16, 4}, {32, 32, 32}, {16, 16, 24}, {16, 16, 8}, {16, 16, 24}});
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.width, 16);
    EXPECT_EQ(result->picture.depth, 24);
}

TEST(LoadPicture, UnusableIconFallsThroughToTheDecoders)
{
    auto bytes = makeIcon({{16, 16, 8}});
    bytes[14] = 0xFF; // image offset far past the end
    bytes[15] = 0xFF;
    const Result<Decoded> result = decodeBytes(bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error(), "not a picture file this program can read");
}
