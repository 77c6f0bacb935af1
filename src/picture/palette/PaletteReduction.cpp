#include "picture/palette/PaletteReduction.h"

#include <algorithm>
#include <cstring>

namespace vardolin::picture {
namespace {

std::vector<std::uint8_t> fourBytesPerPixel(const RowSource& rows)
{
    const std::size_t rowBytes = std::size_t(rows.width) * 4;
    std::vector<std::uint8_t> bgra(rowBytes * std::size_t(rows.height));
    for (std::int32_t y = 0; y < rows.height; ++y) {
        const std::uint8_t* in = rows.memoryRow(y);
        std::uint8_t* out = bgra.data() + std::size_t(y) * rowBytes;
        if (rows.depth == 32) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        for (std::int32_t x = 0; x < rows.width; ++x, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
    return bgra;
}

bool isOpaque(const std::vector<std::uint8_t>& bgra)
{
    for (std::size_t alpha = 3; alpha < bgra.size(); alpha += 4) {
        if (bgra[alpha] != 255)
            return false;
    }
    return true;
}

std::uint32_t colourAt(const std::uint8_t* bgra)
{
    return bgra[0] | std::uint32_t(bgra[1]) << 8 | std::uint32_t(bgra[2]) << 16 | std::uint32_t(bgra[3]) << 24;
}

// The distinct colours of the picture in ascending order, or none when there
// are more than `limit`. A photo stops after its first few hundred pixels.
std::vector<std::uint32_t> ownColours(const std::vector<std::uint8_t>& bgra, std::size_t limit)
{
    std::vector<std::uint32_t> colours;
    std::uint32_t previous = 0;
    for (std::size_t at = 0; at < bgra.size(); at += 4) {
        const std::uint32_t colour = colourAt(&bgra[at]);
        if (at > 0 && colour == previous)
            continue;
        previous = colour;
        const auto place = std::lower_bound(colours.begin(), colours.end(), colour);
        if (place != colours.end() && *place == colour)
            continue;
        if (colours.size() == limit)
            return {};
        colours.insert(place, colour);
    }
    return colours;
}

constexpr std::uint32_t kOpaqueBlack = 0xFF000000, kOpaqueWhite = 0xFFFFFFFF;

// The colours a picture keeps as its palette: its own when they fit, except
// at depth 1 for black and white, which the fixed palette already holds.
std::vector<std::uint32_t> coloursKept(const std::vector<std::uint8_t>& bgra, int outputDepth)
{
    std::vector<std::uint32_t> own = ownColours(bgra, std::size_t(1) << outputDepth);
    const bool blackAndWhite =
        std::all_of(own.begin(), own.end(), [](std::uint32_t c) { return c == kOpaqueBlack || c == kOpaqueWhite; });
    if (outputDepth == 1 && blackAndWhite)
        return {};
    return own;
}

std::vector<PaletteEntry> paletteOf(const std::vector<std::uint32_t>& colours, int outputDepth)
{
    std::vector<PaletteEntry> palette(std::size_t(1) << outputDepth); // unused entries opaque black
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::uint32_t c = colours[i];
        palette[i] = PaletteEntry{std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), std::uint8_t(c >> 24)};
    }
    return palette;
}

std::vector<PaletteEntry> paletteFor(const std::vector<std::uint8_t>& bgra, const std::vector<std::uint32_t>& own,
                                     int outputDepth)
{
    if (!own.empty())
        return paletteOf(own, outputDepth);
    if (outputDepth == 1)
        return {PaletteEntry{0, 0, 0, 255}, PaletteEntry{255, 255, 255, 255}};
    std::vector<PaletteEntry> palette = learnPalette(bgra.data(), bgra.size(), 1 << outputDepth);
    // The network starts its first sixteen entries translucent; entries that
    // an opaque picture never pulled to full alpha would otherwise make its
    // copy partly transparent.
    if (isOpaque(bgra)) {
        for (PaletteEntry& entry : palette)
            entry.alpha = 255;
    }
    return palette;
}

} // namespace

PaletteReduction::PaletteReduction(const RowSource& rows, int outputDepth)
    : width_(rows.width), bgra_(fourBytesPerPixel(rows)), ownColours_(coloursKept(bgra_, outputDepth)),
      palette_(paletteFor(bgra_, ownColours_, outputDepth)), mapper_(palette_, rows.width),
      indices_(std::size_t(rows.width) + 8, 0)
{
}

const std::uint8_t* PaletteReduction::indexRow(std::int32_t memoryRow)
{
    const std::uint8_t* row = bgra_.data() + std::size_t(memoryRow) * std::size_t(width_) * 4;
    if (ownColours_.empty()) {
        mapper_.mapRow(row, indices_.data());
        return indices_.data();
    }
    // Every colour is in the palette: no error to carry, no dithering.
    for (std::int32_t x = 0; x < width_; ++x) {
        const std::uint32_t colour = colourAt(row + std::size_t(x) * 4);
        const auto place = std::lower_bound(ownColours_.begin(), ownColours_.end(), colour);
        indices_[std::size_t(x)] = std::uint8_t(place - ownColours_.begin());
    }
    return indices_.data();
}

} // namespace vardolin::picture
