#pragma once
// Maps pixels to their nearest palette entries, carrying each pixel's error to
// its neighbours (7/16 right, 3/16 below left, 5/16 below, 1/16 below right).
// "Below" is the row mapped next: rows go through in the order the encoder
// writes them.

#include "picture/palette/NeuQuant.h"

#include <cstdint>
#include <vector>

namespace vardolin::picture {

class FloydSteinberg {
public:
    FloydSteinberg(std::vector<PaletteEntry> palette, std::int32_t width);

    // One row of blue-green-red-alpha pixels to one palette index per pixel.
    void mapRow(const std::uint8_t* bgra, std::uint8_t* indices);
    // Nearest entry by the sum of channel differences.
    std::uint8_t nearest(const int* bgra) const;

private:
    std::vector<PaletteEntry> palette_;
    std::vector<int> byGreen_; // palette indices sorted by green, for a pruned search
    std::int32_t width_;
    // Errors carried into the current and the next row, in sixteenths, with
    // one pixel of margin on each side.
    std::vector<int> current_;
    std::vector<int> next_;
};

} // namespace vardolin::picture
