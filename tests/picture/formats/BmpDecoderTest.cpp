#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

Result<Decoded> loadBmp(const std::string& name)
{
    Result<Decoded> result = loadFixture(name);
    EXPECT_TRUE(result.ok()) << name << ": " << result.error();
    EXPECT_EQ(result->picture.format, Format::Bmp);
    EXPECT_EQ(result->picture.depth, 24);
    return result;
}

Rgb keepHighBits(Rgb c, int redBits, int greenBits, int blueBits)
{
    auto keep = [](int v, int bits) { return v & (0xFF << (8 - bits)) & 0xFF; };
    return {keep(c.r, redBits), keep(c.g, greenBits), keep(c.b, blueBits)};
}

// A minimal BMP: 14-byte file header, 40-byte information header, optional
// colour table, then the given pixel bytes.
std::vector<std::uint8_t> makeBmp(std::int32_t width, std::int32_t height, int bitCount, std::uint32_t compression,
                                  const std::vector<std::uint32_t>& table, const std::vector<std::uint8_t>& pixels)
{
    std::vector<std::uint8_t> bytes(54 + 4 * table.size());
    auto put16 = [&](std::size_t at, std::uint16_t v) { std::memcpy(&bytes[at], &v, 2); };
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(10, std::uint32_t(bytes.size()));
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    put16(26, 1);
    put16(28, std::uint16_t(bitCount));
    put32(30, compression);
    for (std::size_t i = 0; i < table.size(); ++i)
        put32(54 + 4 * i, table[i]);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    put32(2, std::uint32_t(bytes.size()));
    return bytes;
}

} // namespace

TEST(BmpDecoder, IndexedAndTrueColourFilesGiveTheirExactColours)
{
    for (const char* name : {"bmp-4bit.bmp", "bmp-8bit.bmp", "bmp-8bit-os2.bmp", "bmp-24bit.bmp", "bmp-32bit.bmp",
                             "bmp-32bit-v5-bitfields.bmp", "bmp-24bit-topdown.bmp"}) {
        SCOPED_TRACE(name);
        const Result<Decoded> result = loadBmp(name);
        EXPECT_EQ(result->picture.width, 7);
        EXPECT_EQ(result->picture.height, 5);
        EXPECT_EQ(result->picture.fullSize, (Size{7, 5}));
        EXPECT_TRUE(allPixelsAre(result->picture, baseColour));
    }
}

TEST(BmpDecoder, SourceDepthIsTheHeadersBitCount)
{
    EXPECT_EQ(loadBmp("bmp-1bit-red-yellow.bmp")->picture.sourceDepth, 1);
    EXPECT_EQ(loadBmp("bmp-4bit.bmp")->picture.sourceDepth, 4);
    EXPECT_EQ(loadBmp("bmp-8bit.bmp")->picture.sourceDepth, 8);
    EXPECT_EQ(loadBmp("bmp-16bit-555.bmp")->picture.sourceDepth, 16);
    EXPECT_EQ(loadBmp("bmp-24bit.bmp")->picture.sourceDepth, 24);
    EXPECT_EQ(loadBmp("bmp-32bit.bmp")->picture.sourceDepth, 32);
    EXPECT_EQ(loadBmp("bmp-rle4.bmp")->picture.sourceDepth, 4);
}

TEST(BmpDecoder, OneBitFilesUseTheirColourTable)
{
    const Result<Decoded> result = loadBmp("bmp-1bit-red-yellow.bmp");
    EXPECT_TRUE(allPixelsAre(result->picture, checkerColour));
}

TEST(BmpDecoder, SixteenBitFilesKeepTheHighBitsOfEachChannel)
{
    auto as555 = [](int x, int y) { return keepHighBits(baseColour(x, y), 5, 5, 5); };
    auto as565 = [](int x, int y) { return keepHighBits(baseColour(x, y), 5, 6, 5); };
    EXPECT_TRUE(allPixelsAre(loadBmp("bmp-16bit-555.bmp")->picture, as555));
    EXPECT_TRUE(allPixelsAre(loadBmp("bmp-16bit-565-v5.bmp")->picture, as565));
    // Marked as bit fields, but the writer left no room for masks: 5-6-5.
    EXPECT_TRUE(allPixelsAre(loadBmp("bmp-16bit-565-nomasks.bmp")->picture, as565));
}

TEST(BmpDecoder, WhitePixelOf555BecomesGray248)
{
    const auto bytes = makeBmp(1, 1, 16, 0, {}, {0xFF, 0x7F, 0, 0});
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(pixelAt(result->picture, 0, 0), (Rgb{248, 248, 248}));
}

TEST(BmpDecoder, BitFieldMasksAfterAFortyByteHeader)
{
    // 4-4-4 masks with the red field on top: 0x0F00 red, 0x00F0 green, 0x000F blue.
    auto bytes = makeBmp(1, 1, 16, 3, {0x0F00, 0x00F0, 0x000F}, {0x5A, 0x03, 0, 0});
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(pixelAt(result->picture, 0, 0), (Rgb{0x30, 0x50, 0xA0}));
}

TEST(BmpDecoder, RunLengthFilesAreDecoded)
{
    // The odd-width file pads each row with a run past its last pixel.
    for (const auto& [name, width] :
         {std::pair{"bmp-rle8.bmp", 16}, std::pair{"bmp-rle4.bmp", 16}, std::pair{"bmp-rle8-odd-width.bmp", 13}}) {
        SCOPED_TRACE(name);
        const Result<Decoded> result = loadBmp(name);
        EXPECT_EQ(result->picture.width, width);
        EXPECT_EQ(result->picture.height, 6);
        EXPECT_TRUE(allPixelsAre(result->picture, runsColour));
    }
}

TEST(BmpDecoder, RunLengthPixelsPastTheRowEndAreDropped)
{
    // 3 x 2, 4-bit: the bottom row's run of 4 and the top row's literal of 5
    // both reach past the third pixel; the next row still starts at its left.
    const std::vector<std::uint8_t> data = {4, 0x12, 0, 0, 0, 5, 0x21, 0x21, 0x20, 0, 0, 0, 0, 1};
    const auto bytes = makeBmp(3, 2, 4, 2, {0x000000, 0x0000FF, 0x00FF0000}, data);
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    const Rgb blue{0, 0, 255}, red{255, 0, 0};
    EXPECT_TRUE(allPixelsAre(result->picture, [&](int x, int y) { return (x + y) % 2 ? blue : red; }));
}

TEST(BmpDecoder, RunLengthMoveLeavesSkippedPixelsBlack)
{
    // 4 x 2, 8-bit: bottom row: run of 2 of index 1, move right 1 and up 1,
    // then a run of 1 of index 1 on the top row at x = 3; end of picture.
    const std::vector<std::uint8_t> data = {2, 1, 0, 2, 1, 1, 1, 1, 0, 1};
    const auto bytes = makeBmp(4, 2, 8, 1, {0x000000, 0x00FF8040}, data);
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    const Rgb black{0, 0, 0}, colour{0xFF, 0x80, 0x40};
    EXPECT_EQ(pixelAt(result->picture, 0, 1), colour);
    EXPECT_EQ(pixelAt(result->picture, 1, 1), colour);
    EXPECT_EQ(pixelAt(result->picture, 2, 1), black);
    EXPECT_EQ(pixelAt(result->picture, 3, 0), colour);
    EXPECT_EQ(pixelAt(result->picture, 0, 0), black);
}

TEST(BmpDecoder, LayoutsItCannotReadFailTheLoad)
{
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* error;
    };
    const std::vector<std::uint32_t> twoColours = {0x000000, 0xFFFFFF};
    std::vector<Case> cases = {
        {"run above the top row", makeBmp(2, 1, 8, 1, twoColours, {2, 1, 0, 0, 2, 1, 0, 1}), "overruns"},
        {"move past the picture", makeBmp(2, 2, 8, 1, twoColours, {0, 2, 0, 5, 0, 1}), "past the picture"},
        {"run-length data ends early", makeBmp(2, 3, 8, 1, twoColours, {2, 1, 0, 0}), "truncated"},
        {"index past the table", makeBmp(2, 1, 8, 0, twoColours, {0, 2, 0, 0}), "colour table"},
        {"run-length index past the table", makeBmp(2, 1, 4, 2, twoColours, {2, 0x33, 0, 1}), "colour table"},
        {"unknown compression", makeBmp(2, 1, 24, 9, {}, std::vector<std::uint8_t>(8)), "compression"},
        {"bit count 7", makeBmp(2, 1, 7, 0, {}, std::vector<std::uint8_t>(8)), "bit count"},
        {"run-length with 24 bits", makeBmp(2, 1, 24, 1, {}, std::vector<std::uint8_t>(8)), "bit count"},
        {"short pixel data", makeBmp(4, 4, 24, 0, {}, std::vector<std::uint8_t>(40)), "truncated"},
        {"zero width", makeBmp(0, 4, 24, 0, {}, std::vector<std::uint8_t>(8)), "pixels"},
        {"huge sides", makeBmp(100000, 100000, 24, 0, {}, std::vector<std::uint8_t>(8)), "too large"},
        {"most negative height", makeBmp(2, INT32_MIN, 24, 0, {}, std::vector<std::uint8_t>(8)), "too large"},
    };
    auto offsetPastEnd = makeBmp(1, 1, 24, 0, {}, {1, 2, 3, 0});
    offsetPastEnd[10] = 0xF0;
    cases.push_back({"pixel offset past the end", offsetPastEnd, "offset"});
    auto headerTooBig = makeBmp(1, 1, 24, 0, {}, {1, 2, 3, 0});
    headerTooBig[14] = 0xFF;
    headerTooBig[15] = 0xFF;
    cases.push_back({"odd header size", headerTooBig, "header"});
    // The file ends inside its 40-byte information header, its pixels inside
    // the header too: once a skip has run past the end, no later read may
    // succeed.
    auto headerCutShort = makeBmp(1, 1, 24, 0, {}, {});
    headerCutShort.resize(45);
    headerCutShort[10] = 42;
    cases.push_back({"information header cut short", headerCutShort, "truncated"});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<Decoded> result = decodeBytes(c.bytes);
        EXPECT_FALSE(result.ok());
        EXPECT_NE(result.error().find(c.error), std::string::npos) << result.error();
    }
}

TEST(BmpDecoder, AMissingFinalRowPaddingIsTolerated)
{
    auto bytes = makeBmp(1, 2, 24, 0, {}, {1, 2, 3, 0, 4, 5, 6});
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(pixelAt(result->picture, 0, 0), (Rgb{6, 5, 4}));
}

TEST(BmpDecoder, ShortOs2HeaderIsRead)
{
    // The 16-byte header keeps only size, width, height, planes and bit count;
    // its colour table has 4-byte entries like the 40-byte header's.
    auto shortened = [](std::vector<std::uint8_t> bytes, std::uint32_t tableBytes) {
        bytes.erase(bytes.begin() + 14 + 16, bytes.begin() + 14 + 40);
        const std::uint32_t header = 16, pixelOffset = 14 + 16 + tableBytes, size = std::uint32_t(bytes.size());
        std::memcpy(&bytes[14], &header, 4);
        std::memcpy(&bytes[10], &pixelOffset, 4);
        std::memcpy(&bytes[2], &size, 4);
        return bytes;
    };
    const Result<Decoded> indexed =
        decodeBytes(shortened(makeBmp(3, 1, 8, 0, {0x000000, 0x00FF8040}, {1, 0, 1, 0}), 8));
    ASSERT_TRUE(indexed.ok()) << indexed.error();
    EXPECT_EQ(indexed->picture.sourceDepth, 8);
    EXPECT_EQ(pixelAt(indexed->picture, 0, 0), (Rgb{0xFF, 0x80, 0x40}));
    EXPECT_EQ(pixelAt(indexed->picture, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(indexed->picture, 2, 0), (Rgb{0xFF, 0x80, 0x40}));

    const Result<Decoded> trueColour = decodeBytes(shortened(makeBmp(1, 2, 24, 0, {}, {1, 2, 3, 0, 4, 5, 6, 0}), 0));
    ASSERT_TRUE(trueColour.ok()) << trueColour.error();
    EXPECT_EQ(trueColour->picture.width, 1);
    EXPECT_EQ(trueColour->picture.height, 2);
    EXPECT_EQ(pixelAt(trueColour->picture, 0, 0), (Rgb{6, 5, 4}));
    EXPECT_EQ(pixelAt(trueColour->picture, 0, 1), (Rgb{3, 2, 1}));
}
