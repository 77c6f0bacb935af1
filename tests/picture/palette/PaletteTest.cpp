#include "picture/MadePictures.h"
#include "picture/TempFolder.h"

#include "picture/Picture.h"
#include "picture/formats/Png.h"
#include "picture/palette/FloydSteinberg.h"
#include "picture/palette/NeuQuant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vardolin::picture {
namespace {

TEST(NeuQuant, FindsEveryColourOfAFewColourPicture)
{
    const std::uint8_t colours[5][4] = {
        {0, 0, 0, 255}, {255, 255, 255, 255}, {20, 40, 230, 255}, {200, 120, 10, 255}, {90, 250, 90, 255}};
    std::vector<std::uint8_t> bgra;
    for (int i = 0; i < 4000; ++i)
        bgra.insert(bgra.end(), colours[(i * 7 + i / 13) % 5], colours[(i * 7 + i / 13) % 5] + 4);
    const std::vector<PaletteEntry> palette = learnPalette(bgra.data(), bgra.size(), 16);
    ASSERT_EQ(palette.size(), 16u);
    for (const auto& colour : colours) {
        int best = 1 << 30;
        for (const PaletteEntry& entry : palette)
            best = std::min(best, std::abs(entry.blue - colour[0]) + std::abs(entry.green - colour[1])
                                      + std::abs(entry.red - colour[2]) + std::abs(entry.alpha - colour[3]));
        EXPECT_LE(best, 12) << int(colour[0]) << "," << int(colour[1]) << "," << int(colour[2]);
    }
}

TEST(NeuQuant, LargePicturesAreSampledAndStillLearn)
{
    // Over 262144 pixels the sampling factor grows; the grey ramp must still be covered.
    const std::int32_t width = 1024, height = 600;
    std::vector<std::uint8_t> bgra(std::size_t(width) * height * 4);
    for (std::size_t p = 0; p < bgra.size() / 4; ++p) {
        const auto grey = std::uint8_t((p % std::size_t(width)) * 255 / (width - 1));
        bgra[p * 4] = bgra[p * 4 + 1] = bgra[p * 4 + 2] = grey;
        bgra[p * 4 + 3] = 255;
    }
    const std::vector<PaletteEntry> palette = learnPalette(bgra.data(), bgra.size(), 64);
    for (int grey = 0; grey < 256; grey += 5) {
        int best = 1 << 30;
        for (const PaletteEntry& entry : palette)
            best = std::min(best, std::abs(entry.green - grey));
        EXPECT_LE(best, 6) << grey;
    }
}

TEST(FloydSteinberg, KeepsTheAverageOfAFlatGrey)
{
    // Grey 64 in black and white: about a quarter of the pixels come out white.
    const std::int32_t width = 64, height = 64;
    FloydSteinberg mapper({PaletteEntry{0, 0, 0, 255}, PaletteEntry{255, 255, 255, 255}}, width);
    std::vector<std::uint8_t> row(std::size_t(width) * 4, 64), indices(std::size_t(width) + 8);
    for (std::int32_t x = 0; x < width; ++x)
        row[std::size_t(x) * 4 + 3] = 255;
    int white = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        mapper.mapRow(row.data(), indices.data());
        for (std::int32_t x = 0; x < width; ++x)
            white += indices[std::size_t(x)];
    }
    EXPECT_NEAR(white / double(width * height), 64.0 / 255.0, 0.02);
}

TEST(FloydSteinberg, NearestSearchAgreesWithAFullScan)
{
    std::vector<PaletteEntry> palette;
    for (int i = 0; i < 256; ++i)
        palette.push_back(
            PaletteEntry{std::uint8_t(i * 37), std::uint8_t(i * 11), std::uint8_t(i * 73), std::uint8_t(255 - i % 7)});
    const FloydSteinberg mapper(palette, 1);
    for (int probe = 0; probe < 2000; ++probe) {
        const int bgra[4] = {probe * 13 % 256, probe * 29 % 256, probe * 7 % 256, 250 + probe % 6};
        int bestDistance = 1 << 30;
        for (const PaletteEntry& e : palette)
            bestDistance = std::min(bestDistance, std::abs(e.blue - bgra[0]) + std::abs(e.green - bgra[1])
                                                      + std::abs(e.red - bgra[2]) + std::abs(e.alpha - bgra[3]));
        const PaletteEntry& found = palette[mapper.nearest(bgra)];
        EXPECT_EQ(std::abs(found.blue - bgra[0]) + std::abs(found.green - bgra[1]) + std::abs(found.red - bgra[2])
                      + std::abs(found.alpha - bgra[3]),
                  bestDistance);
    }
}

// Colour i of a few-colour picture: blue i·37 (distinct for every i), the
// others scattered, alpha from 255 down to 60.
Picture fewColours(int colours, int depth)
{
    return testing::madePicture(19, 17, depth, [=](std::int32_t x, std::int32_t y, int c) {
        const int i = (x + 19 * y) % colours;
        const int values[4] = {i * 37 % 256, (i * 91 + 40) % 256, (i * 53 + 7) % 256, 255 - i * 195 / (colours - 1)};
        return std::uint8_t(values[c]);
    });
}

// A picture with no more colours than the palette holds is copied exactly, at
// every palette depth and in both formats, translucent colours included.
TEST(PaletteCopy, APictureWhoseColoursFitKeepsThemExactly)
{
    testing::TempFolder folder;
    for (int depth : {1, 2, 4, 8}) {
        Picture picture = fewColours(1 << depth, 24);
        picture.sourceDepth = std::uint8_t(depth);
        for (const auto& [format, name] : {std::pair{Format::Png, "copy.png"}, std::pair{Format::Bmp, "copy.bmp"}}) {
            if (format == Format::Bmp && depth == 2) // BMP has no 2-bit rows
                continue;
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(depth));
            ASSERT_TRUE(savePicture(picture, folder / name, format, 7).ok());
            const Result<Decoded> copy = loadPicture(folder / name);
            ASSERT_TRUE(copy.ok()) << copy.error();
            EXPECT_EQ(copy->picture.pixels, picture.pixels);
        }
    }
    const Picture translucent = fewColours(16, 32);
    const RowSource rows{translucent.pixels.data(), translucent.width, translucent.height, translucent.stride, 32};
    ASSERT_TRUE(encodePng(rows, folder / "translucent.png", {.outputDepth = 4}).ok());
    const Result<Decoded> copy = loadPicture(folder / "translucent.png");
    ASSERT_TRUE(copy.ok()) << copy.error();
    EXPECT_EQ(copy->picture.pixels, translucent.pixels);
}

} // namespace
} // namespace vardolin::picture
