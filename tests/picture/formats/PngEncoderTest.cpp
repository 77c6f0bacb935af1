#include "picture/MadePictures.h"
#include "picture/TempFolder.h"

#include "picture/Picture.h"
#include "picture/formats/Png.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <zlib.h>

namespace vardolin::picture {
namespace {

using testing::bigEndian32;
using testing::constantPicture;
using testing::fileBytes;
using testing::madePicture;
using testing::TempFolder;

// The chunks of a PNG file, read without libpng; IDAT data is inflated with zlib.
struct PngFile {
    std::uint32_t width = 0, height = 0;
    int bitDepth = 0, colourType = 0, interlace = 0;
    std::vector<std::uint8_t> palette, transparency, rows;
    std::vector<std::string> chunkOrder;

    std::size_t rowBytes() const
    {
        const int channels = colourType == 2 ? 3 : colourType == 6 ? 4 : 1;
        return 1 + (std::size_t(width) * std::size_t(channels) * std::size_t(bitDepth) + 7) / 8;
    }
};

PngFile readPng(const std::vector<std::uint8_t>& bytes)
{
    PngFile png;
    std::vector<std::uint8_t> compressed;
    for (std::size_t at = 8; at + 12 <= bytes.size();) {
        const std::uint32_t length = bigEndian32(bytes, at);
        const std::string type(bytes.begin() + std::ptrdiff_t(at) + 4, bytes.begin() + std::ptrdiff_t(at) + 8);
        const auto data = bytes.begin() + std::ptrdiff_t(at) + 8;
        png.chunkOrder.push_back(type);
        if (type == "IHDR") {
            png.width = bigEndian32(bytes, at + 8);
            png.height = bigEndian32(bytes, at + 12);
            png.bitDepth = bytes[at + 16];
            png.colourType = bytes[at + 17];
            png.interlace = bytes[at + 20];
        } else if (type == "PLTE") {
            png.palette.assign(data, data + length);
        } else if (type == "tRNS") {
            png.transparency.assign(data, data + length);
        } else if (type == "IDAT") {
            compressed.insert(compressed.end(), data, data + length);
        }
        at += 12 + length;
    }
    png.rows.resize(png.rowBytes() * png.height);
    uLongf size = uLongf(png.rows.size());
    EXPECT_EQ(uncompress(png.rows.data(), &size, compressed.data(), uLong(compressed.size())), Z_OK);
    EXPECT_EQ(size, png.rows.size());
    return png;
}

void expectFilterNoneOnEveryRow(const PngFile& png)
{
    for (std::uint32_t y = 0; y < png.height; ++y)
        ASSERT_EQ(png.rows[y * png.rowBytes()], 0) << "row " << y;
}

Picture patterned(std::int32_t width, std::int32_t height, int depth)
{
    return madePicture(width, height, depth, [](std::int32_t x, std::int32_t y, int c) {
        return std::uint8_t(c == 3 ? 255 - x : (x * 40 + y * 9 + c * 70) % 256);
    });
}

TEST(PngEncoder, FullColourRowsAreRgbTopFirstWithoutFilters)
{
    TempFolder folder;
    const Picture picture = patterned(7, 5, 24);
    ASSERT_TRUE(savePicture(picture, folder / "a.png", Format::Png, 7).ok());
    const PngFile png = readPng(fileBytes(folder / "a.png"));
    EXPECT_EQ(png.width, 7u);
    EXPECT_EQ(png.height, 5u);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colourType, 2);
    EXPECT_EQ(png.interlace, 0);
    expectFilterNoneOnEveryRow(png);
    for (std::int32_t top = 0; top < 5; ++top)
        for (std::int32_t x = 0; x < 7; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(png.rows[std::size_t(top) * png.rowBytes() + 1 + std::size_t(x) * 3 + std::size_t(c)],
                          picture.row(4 - top)[x * 3 + 2 - c]);
}

TEST(PngEncoder, AlphaPictureAtDepth32IsRgba)
{
    TempFolder folder;
    const Picture picture = patterned(6, 3, 32);
    ASSERT_TRUE(savePicture(picture, folder / "a.png", Format::Png, 7).ok());
    const PngFile png = readPng(fileBytes(folder / "a.png"));
    EXPECT_EQ(png.colourType, 6);
    EXPECT_EQ(png.bitDepth, 8);
    expectFilterNoneOnEveryRow(png);
    const std::uint8_t* first = &png.rows[1]; // top row, first pixel
    const std::uint8_t* stored = picture.row(2);
    EXPECT_EQ(first[0], stored[2]);
    EXPECT_EQ(first[1], stored[1]);
    EXPECT_EQ(first[2], stored[0]);
    EXPECT_EQ(first[3], stored[3]);
}

TEST(PngEncoder, AlphaPictureAtDepth24IsComposedOntoWhite)
{
    TempFolder folder;
    Picture picture = constantPicture(2, 2, 32, 0, 0, 200, 128);
    picture.sourceDepth = 24; // as an RGB TIFF reports it
    ASSERT_TRUE(savePicture(picture, folder / "a.png", Format::Png, 7).ok());
    const PngFile png = readPng(fileBytes(folder / "a.png"));
    EXPECT_EQ(png.colourType, 2);
    EXPECT_EQ((std::vector<std::uint8_t>(png.rows.begin() + 1, png.rows.begin() + 4)),
              (std::vector<std::uint8_t>{227, 127, 127}));
}

TEST(PngEncoder, PaletteDepthsWriteIndexedFiles)
{
    TempFolder folder;
    const Picture picture = patterned(13, 9, 24);
    for (int depth : {1, 2, 4, 8}) {
        const auto name = "p" + std::to_string(depth) + ".png";
        ASSERT_TRUE(savePicture(picture, folder / name, Format::Png, 7, depth).ok()) << depth;
        const PngFile png = readPng(fileBytes(folder / name));
        EXPECT_EQ(png.colourType, 3);
        EXPECT_EQ(png.bitDepth, depth);
        EXPECT_EQ(png.palette.size(), 3u << depth);
        EXPECT_TRUE(png.transparency.empty()) << "an opaque picture needs no tRNS";
        expectFilterNoneOnEveryRow(png);
    }
}

TEST(PngEncoder, PaletteFromAPaletteSourceKeepsItsColours)
{
    // A source with source depth 8 (a palette PNG) is written back as an
    // 8-bit palette file; four colours survive the reduction nearly exactly.
    TempFolder folder;
    const std::uint8_t colours[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {40, 200, 220}};
    Picture picture =
        madePicture(32, 32, 24, [&](std::int32_t x, std::int32_t y, int c) { return colours[(x / 8 + y / 8) % 4][c]; });
    picture.sourceDepth = 8;
    ASSERT_TRUE(savePicture(picture, folder / "a.png", Format::Png, 7).ok());
    const PngFile png = readPng(fileBytes(folder / "a.png"));
    ASSERT_EQ(png.colourType, 3);
    ASSERT_EQ(png.bitDepth, 8);
    int worst = 0;
    for (std::int32_t top = 0; top < 32; ++top) {
        for (std::int32_t x = 0; x < 32; ++x) {
            const std::uint8_t index = png.rows[std::size_t(top) * png.rowBytes() + 1 + std::size_t(x)];
            const std::uint8_t* stored = picture.row(31 - top) + x * 3;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(int(png.palette[index * 3u + unsigned(c)]) - int(stored[2 - c])));
        }
    }
    EXPECT_LE(worst, 8);
}

TEST(PngEncoder, TransparentPaletteEntriesGoIntoTrns)
{
    TempFolder folder;
    const Picture picture = madePicture(
        16, 16, 32, [](std::int32_t x, std::int32_t, int c) { return std::uint8_t(c == 3 ? (x < 8 ? 0 : 255) : 100); });
    const RowSource rows{picture.pixels.data(), 16, 16, picture.stride, 32};
    const Result<void> written = encodePng(rows, folder / "t.png", {.outputDepth = 4});
    ASSERT_TRUE(written.ok()) << written.error();
    const PngFile png = readPng(fileBytes(folder / "t.png"));
    EXPECT_EQ(png.colourType, 3);
    ASSERT_FALSE(png.transparency.empty());
    EXPECT_LT(png.chunkOrder.end() - std::find(png.chunkOrder.begin(), png.chunkOrder.end(), "tRNS"),
              png.chunkOrder.end() - std::find(png.chunkOrder.begin(), png.chunkOrder.end(), "PLTE"));
    // Left half transparent, right half opaque.
    const std::uint8_t left = png.rows[1] >> 4, right = png.rows[1 + 7] & 0x0F;
    EXPECT_LT(png.transparency[left], 32);
    EXPECT_EQ(right < png.transparency.size() ? png.transparency[right] : 255, 255);
}

TEST(PngEncoder, LibraryErrorRemovesTheFile)
{
    TempFolder folder;
    const std::uint8_t pixel[4] = {};
    const RowSource empty{pixel, 0, 1, 4, 24}; // libpng refuses a zero width after the file exists
    const Result<void> written = encodePng(empty, folder / "e.png", {});
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(written.error().empty());
    EXPECT_FALSE(std::filesystem::exists(folder / "e.png"));
}

} // namespace
} // namespace vardolin::picture
