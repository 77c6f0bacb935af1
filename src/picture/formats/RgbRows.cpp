#include "picture/formats/RgbRows.h"

#include <algorithm>

namespace vardolin::picture {

void rgbRowToStore(const std::uint8_t* rgb, std::int32_t width, int channels, std::uint8_t* out)
{
    if (channels == 4) {
        for (std::int32_t x = 0; x < width; ++x, rgb += 4, out += 4) {
            out[0] = rgb[2];
            out[1] = rgb[1];
            out[2] = rgb[0];
            out[3] = rgb[3];
        }
        return;
    }
    for (std::int32_t x = 0; x < width; ++x, rgb += 3, out += 3) {
        out[0] = rgb[2];
        out[1] = rgb[1];
        out[2] = rgb[0];
    }
}

DeepSampleReduction::DeepSampleReduction(int bits)
{
    bits = std::clamp(bits, 9, 16);
    const std::uint32_t max = (std::uint32_t(1) << bits) - 1;
    max_ = std::uint16_t(max);
    table_.resize(std::size_t(max) + 1);
    for (std::uint32_t v = 0; v <= max; ++v)
        table_[v] = std::uint8_t((v * 255 + max / 2) / max);
}

void DeepSampleReduction::rowToStore(const std::uint8_t* littleEndianRgb, std::int32_t width, int channels,
                                     std::uint8_t* out) const
{
    auto sample = [&](std::int32_t x, int c) {
        const std::uint8_t* word = littleEndianRgb + (std::size_t(x) * std::size_t(channels) + std::size_t(c)) * 2;
        return (*this)(std::uint16_t(word[0] | (word[1] << 8)));
    };
    for (std::int32_t x = 0; x < width; ++x, out += channels) {
        out[0] = sample(x, 2);
        out[1] = sample(x, 1);
        out[2] = sample(x, 0);
        if (channels == 4)
            out[3] = sample(x, 3);
    }
}

void unpremultiplyRow(std::uint8_t* bgra, std::int32_t width)
{
    for (std::int32_t x = 0; x < width; ++x, bgra += 4) {
        const unsigned alpha = bgra[3];
        if (alpha == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            bgra[c] = alpha == 0 ? 0 : std::uint8_t(std::min(255u, (bgra[c] * 255u + alpha / 2) / alpha));
    }
}

} // namespace vardolin::picture
