#pragma once
// Reduces a picture to 2^depth colours for the 1- to 8-bit outputs of the PNG
// and BMP encoders. A picture with no more colours than that keeps them
// exactly: they are the palette and every pixel its own entry. Any other gets
// a fixed black and white palette at depth 1 or a NeuQuant palette at depths
// 2 to 8, then Floyd–Steinberg mapping row by row.

#include "picture/formats/RowSource.h"
#include "picture/palette/FloydSteinberg.h"
#include "picture/palette/NeuQuant.h"

#include <cstdint>
#include <vector>

namespace vardolin::picture {

class PaletteReduction {
public:
    PaletteReduction(const RowSource& rows, int outputDepth);

    // 2^depth entries.
    const std::vector<PaletteEntry>& palette() const { return palette_; }
    // One index byte per pixel for a memory row. Rows must be asked for one
    // after another (either direction): the mapping carries errors between them.
    const std::uint8_t* indexRow(std::int32_t memoryRow);

private:
    std::int32_t width_;
    std::vector<std::uint8_t> bgra_; // every pixel as four bytes, alpha 255 for 24-bit rows
    // The picture's colours in ascending order when they all fit in the
    // palette (its first entries); empty when the palette is learnt or fixed.
    std::vector<std::uint32_t> ownColours_;
    std::vector<PaletteEntry> palette_;
    FloydSteinberg mapper_;
    std::vector<std::uint8_t> indices_; // width + 8 bytes
};

} // namespace vardolin::picture
