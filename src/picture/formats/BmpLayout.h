#pragma once
// What a BMP file's headers say about its pixels, read and checked before any
// pixel memory is allocated.

#include "picture/ByteCursor.h"
#include "picture/Result.h"

#include <array>
#include <cstdint>

namespace vardolin::picture {

// One colour of a bit-field pixel: where its bits are and how many there are.
struct BitField {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // Widens or narrows the field to 8 bits; widening leaves the low bits zero.
    std::uint8_t extract(std::uint32_t pixel) const
    {
        if (bits == 0)
            return 0;
        const std::uint32_t value = (pixel & mask) >> shift;
        return std::uint8_t(bits <= 8 ? value << (8 - bits) : value >> (bits - 8));
    }
};

enum class BmpCompression : std::uint32_t { None = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

struct BmpLayout {
    std::int32_t width = 0;
    std::int32_t height = 0; // always positive; topDown says how rows are stored
    bool topDown = false;
    int bitCount = 0;
    BmpCompression compression = BmpCompression::None;
    std::uint32_t pixelOffset = 0;
    // Blue, green, red per entry; entries past paletteSize are not in the file.
    std::array<std::array<std::uint8_t, 3>, 256> palette{};
    int paletteSize = 0;
    BitField red, green, blue;
};

// The layout, or why the file cannot be read.
Result<BmpLayout> readBmpLayout(ByteSpan bytes);

} // namespace vardolin::picture
