#pragma once
// NeuQuant colour quantisation (A. Dekker, "Kohonen neural networks for
// optimal colour quantization", Network: Computation in Neural Systems, 1994)
// on four channels: blue, green, red and alpha. The settings are fixed
// because they decide the palette of every reduced copy.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vardolin::picture {

struct PaletteEntry {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t alpha = 255;
    friend bool operator==(const PaletteEntry&, const PaletteEntry&) = default;
};

// Learns a palette of `entries` colours (2…256) from pixels given as
// blue-green-red-alpha bytes, `byteCount` = 4 × the number of pixels.
std::vector<PaletteEntry> learnPalette(const std::uint8_t* bgra, std::size_t byteCount, int entries);

} // namespace vardolin::picture
