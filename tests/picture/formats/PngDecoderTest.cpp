#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

Result<Decoded> loadPng(const std::string& name)
{
    Result<Decoded> result = loadFixture(name);
    EXPECT_TRUE(result.ok()) << name << ": " << result.error();
    EXPECT_EQ(result->picture.format, Format::Png);
    EXPECT_EQ(result->picture.width, 7);
    EXPECT_EQ(result->picture.height, 5);
    return result;
}

struct DepthRow {
    const char* file;
    int depth;
    int sourceDepth;
};

Rgb grayRamp(int x, int y)
{
    const int v = (x * 5 + y) * 7;
    return {v, v, v};
}

} // namespace

TEST(PngDecoder, DepthAndSourceDepthFollowTheColourType)
{
    const DepthRow rows[] = {
        {"png-rgb.png", 24, 24},        {"png-rgb16.png", 24, 24},        {"png-rgba.png", 32, 32},
        {"png-palette.png", 24, 4},     {"png-palette-trns.png", 32, 32}, {"png-gray8.png", 24, 8},
        {"png-gray16.png", 24, 16},     {"png-gray1.png", 24, 1},         {"png-gray-alpha.png", 32, 8},
        {"png-interlaced.png", 24, 24},
    };
    for (const DepthRow& row : rows) {
        SCOPED_TRACE(row.file);
        const Result<Decoded> result = loadPng(row.file);
        EXPECT_EQ(result->picture.depth, row.depth);
        EXPECT_EQ(result->picture.sourceDepth, row.sourceDepth);
        EXPECT_EQ(result->picture.stride, strideFor(7, row.depth));
    }
}

TEST(PngDecoder, ColourFilesGiveTheirExactColours)
{
    for (const char* name : {"png-rgb.png", "png-rgb16.png", "png-palette.png", "png-palette-trns.png",
                             "png-interlaced.png", "png-rgba.png"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(allPixelsAre(loadPng(name)->picture, baseColour));
    }
}

TEST(PngDecoder, TransparencyChunkBecomesAlpha)
{
    const Picture picture = loadPng("png-palette-trns.png")->picture;
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(alphaAt(picture, x, y), (baseColour(x, y) == Rgb{255, 0, 0}) ? 0 : 255) << x << "," << y;
}

TEST(PngDecoder, AlphaIsKeptUnpremultiplied)
{
    const Picture picture = loadPng("png-rgba.png")->picture;
    EXPECT_NEAR(alphaAt(picture, 0, 0), 128, 1);
    EXPECT_EQ(alphaAt(picture, 1, 0), 255);
    EXPECT_EQ(pixelAt(picture, 0, 0), baseColour(0, 0));
}

TEST(PngDecoder, GrayFilesBecomeThreeEqualChannels)
{
    EXPECT_TRUE(allPixelsAre(loadPng("png-gray8.png")->picture, grayRamp));
    // 16-bit samples (x*5+y)*1800 are scaled to 8 bits with rounding.
    EXPECT_TRUE(allPixelsAre(
        loadPng("png-gray16.png")->picture,
        [](int x, int y) {
            const int v = ((x * 5 + y) * 1800 * 255 + 32767) / 65535;
            return Rgb{v, v, v};
        },
        1));
    const Picture grayAlpha = loadPng("png-gray-alpha.png")->picture;
    EXPECT_TRUE(allPixelsAre(grayAlpha, grayRamp));
    EXPECT_EQ(alphaAt(grayAlpha, 2, 1), 255 - (2 * 5 + 1) * 7);
}

TEST(PngDecoder, OneBitGrayExpandsToBlackAndWhite)
{
    const Picture picture = loadPng("png-gray1.png")->picture;
    // The red and yellow checkerboard thresholded: red dark, yellow light.
    EXPECT_TRUE(allPixelsAre(picture, [](int x, int y) { return (x + y) % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; }));
}

TEST(PngDecoder, FoundByContentNotByName)
{
    const Result<Decoded> result = loadFixture("png-named-as.jpg");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.format, Format::Png);
    EXPECT_TRUE(allPixelsAre(result->picture, baseColour));
}

TEST(PngDecoder, HugeHeaderFailsFast)
{
    auto bytes = readFixture("png-rgb.png");
    // IHDR width and height at 16..23; the chunk's CRC no longer matches, and
    // the size check comes first either way.
    for (int i : {16, 20}) {
        bytes[i] = 0x00, bytes[i + 1] = 0x01, bytes[i + 2] = 0x86, bytes[i + 3] = 0xA0; // 100000
    }
    const Result<Decoded> result = decodeBytes(bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(result.error().empty());
}

// An ancillary chunk whose checksum is wrong is skipped, and the notes say so;
// the picture is whole.
TEST(PngDecoder, ChunkWithAWrongChecksumLeavesANote)
{
    std::vector<std::uint8_t> bytes = readFixture("png-rgb.png");
    // A tIME chunk after the header (8-byte signature, 25-byte IHDR), its
    // checksum zero.
    const std::uint8_t time[] = {0, 0, 0, 7, 't', 'I', 'M', 'E', 0x07, 0xE9, 1, 2, 3, 4, 5, 0, 0, 0, 0};
    bytes.insert(bytes.begin() + 33, std::begin(time), std::end(time));
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_TRUE(allPixelsAre(result->picture, baseColour));
    ASSERT_EQ(result->notes.size(), 1u);
    EXPECT_EQ(result->notes[0].kind, Note::Kind::Damaged);
    EXPECT_NE(result->notes[0].text.find("CRC"), std::string::npos) << result->notes[0].text;
    EXPECT_TRUE(loadPng("png-rgb.png")->notes.empty());
}

namespace {

// Rows of a decoded picture, top first, as bytes.
std::vector<std::uint8_t> rowBytes(const Picture& picture, std::int32_t y)
{
    const std::uint8_t* row = picture.row(picture.height - 1 - y);
    return {row, row + std::size_t(picture.width) * (picture.depth / 8)};
}

bool rowIsGrey(const Picture& picture, std::int32_t y)
{
    for (std::int32_t x = 0; x < picture.width; ++x)
        if (pixelAt(picture, x, y) != Rgb{128, 128, 128})
            return false;
    return true;
}

double meanDifference(const Picture& a, const Picture& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i)
        sum += std::abs(int(a.pixels[i]) - int(b.pixels[i]));
    return sum / double(a.pixels.size());
}

} // namespace

// A photo cut short loads what its file holds, noted as damaged: the rows
// read whole are the photo's and the rest grey; an interlaced one is the
// whole photo, as fine as the passes it holds. A file that ends before its
// first row has nothing to show.
TEST(PngDecoder, FileCutShortLoadsWhatItHoldsWithANote)
{
    // Whole, the passes drawn as rectangles give the very pixels of the plain file.
    EXPECT_EQ(loadFixture("png-photo-interlaced.png")->picture.pixels, loadFixture("png-photo.png")->picture.pixels);
    for (const char* name : {"png-photo.png", "png-photo-interlaced.png"}) {
        SCOPED_TRACE(name);
        const Result<Decoded> whole = loadFixture(name);
        ASSERT_TRUE(whole.ok()) << whole.error();
        EXPECT_TRUE(whole->notes.empty());
        const Picture& photo = whole->picture;
        std::vector<std::uint8_t> bytes = readFixture(name);
        bytes.resize(bytes.size() * 3 / 5);
        const Result<Decoded> cut = decodeBytes(bytes);
        ASSERT_TRUE(cut.ok()) << cut.error();
        ASSERT_EQ(cut->notes.size(), 1u);
        EXPECT_EQ(cut->notes[0], (Note{Note::Kind::Damaged, "PNG: truncated PNG data"}));
        const Picture& held = cut->picture;
        ASSERT_EQ(held.width, photo.width);
        ASSERT_EQ(held.height, photo.height);
        if (name == std::string("png-photo.png")) {
            std::int32_t y = 0;
            while (y < held.height && rowBytes(held, y) == rowBytes(photo, y))
                ++y;
            EXPECT_GT(y, held.height / 3) << "rows read";
            EXPECT_LT(y, held.height) << "rows missing";
            for (; y < held.height; ++y)
                EXPECT_TRUE(rowIsGrey(held, y)) << "row " << y;
        } else {
            EXPECT_FALSE(rowIsGrey(held, held.height - 1));
            EXPECT_LT(meanDifference(held, photo), 12.0);
        }
        bytes.resize(60); // within the header
        EXPECT_FALSE(decodeBytes(bytes).ok());
    }
}

// A wrong checksum on the image data is told, not fatal: the rows are what
// the file holds.
TEST(PngDecoder, ImageDataWithAWrongChecksumLoadsWithANote)
{
    std::vector<std::uint8_t> bytes = readFixture("png-photo.png");
    const auto idat = std::search(bytes.begin(), bytes.end(), std::begin("IDAT"), std::end("IDAT") - 1);
    ASSERT_NE(idat, bytes.end());
    const std::size_t length = std::size_t(idat[-4]) << 24 | std::size_t(idat[-3]) << 16 | idat[-2] << 8 | idat[-1];
    idat[4 + std::ptrdiff_t(length)] ^= 0xFF; // the checksum after the chunk's data
    const Result<Decoded> broken = decodeBytes(bytes);
    ASSERT_TRUE(broken.ok()) << broken.error();
    EXPECT_EQ(broken->picture.pixels, loadFixture("png-photo.png")->picture.pixels);
    ASSERT_EQ(broken->notes.size(), 1u);
    EXPECT_EQ(broken->notes[0], (Note{Note::Kind::Damaged, "PNG: IDAT: CRC error"}));
}
