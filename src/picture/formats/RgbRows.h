#pragma once
// Rows of red-green-blue(-alpha) samples as codec libraries deliver them,
// turned into the store's blue-green-red(-alpha) bytes.

#include <cstdint>
#include <vector>

namespace vardolin::picture {

// 8-bit samples: red and blue swap places. channels is 3 or 4.
void rgbRowToStore(const std::uint8_t* rgb, std::int32_t width, int channels, std::uint8_t* out);

// Samples of more than 8 significant bits (10, 12 or 16), held in 16-bit
// little-endian words, reduced to 8 bits with rounding: round(v · 255 / max),
// max = 2^bits − 1, so the darkest and brightest values stay 0 and 255 and
// every step lands on the nearest 8-bit value rather than the one below.
class DeepSampleReduction {
public:
    explicit DeepSampleReduction(int bits);

    // A value over the maximum (a damaged stream) counts as the maximum.
    std::uint8_t operator()(std::uint16_t value) const { return table_[value < max_ ? value : max_]; }
    // One row of channels (3 or 4) samples per pixel, red first.
    void rowToStore(const std::uint8_t* littleEndianRgb, std::int32_t width, int channels, std::uint8_t* out) const;

private:
    std::uint16_t max_ = 0;
    std::vector<std::uint8_t> table_;
};

// Premultiplied colours back to straight ones, in place, over blue-green-
// red-alpha pixels: c · 255 / a rounded, at most 255; a fully transparent
// pixel stays black.
void unpremultiplyRow(std::uint8_t* bgra, std::int32_t width);

} // namespace vardolin::picture
