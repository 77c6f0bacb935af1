#pragma once
// Smooth scaling of 24-bit pictures: each destination pixel is the
// area-weighted mean of the source pixels it covers (partial pixels at the
// edges count with their exact covered fraction); along an axis that grows,
// neighbouring source pixels are interpolated linearly.

#include <cstdint>

namespace vardolin::picture {

struct PixelRect {
    std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
};

struct ConstPixelRect {
    const std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
};

// Scales the whole source onto the whole destination; both have the same
// number of interleaved 8-bit channels per pixel. Allocates only one row of
// accumulators and the two weight tables.
void areaAverageScale(const ConstPixelRect& source, const PixelRect& destination, int channels);

} // namespace vardolin::picture
