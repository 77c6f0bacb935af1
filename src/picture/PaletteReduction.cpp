#include "picture/PaletteReduction.h"

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

std::vector<PaletteEntry> paletteFor(const std::vector<std::uint8_t>& bgra, int outputDepth)
{
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
    : width_(rows.width), bgra_(fourBytesPerPixel(rows)), palette_(paletteFor(bgra_, outputDepth)),
      mapper_(palette_, rows.width), indices_(std::size_t(rows.width) + 8, 0)
{
}

const std::uint8_t* PaletteReduction::indexRow(std::int32_t memoryRow)
{
    mapper_.mapRow(bgra_.data() + std::size_t(memoryRow) * std::size_t(width_) * 4, indices_.data());
    return indices_.data();
}

} // namespace vardolin::picture
