#include "picture/scale/NearestScaler.h"

#include <cstddef>
#include <cstring>
#include <vector>

namespace vardolin::picture {
namespace {

// Source sample under the centre of destination sample i: floor((i + 0.5)·n/m).
std::int32_t sourceSampleFor(std::int32_t i, std::int32_t n, std::int32_t m)
{
    return std::int32_t(((2 * std::int64_t(i) + 1) * n) / (2 * std::int64_t(m)));
}

} // namespace

void nearestScale(const ConstPixelRect& source, const PixelRect& destination, int bytesPerPixel)
{
    std::vector<std::int32_t> columnOffsets(std::size_t(destination.width));
    for (std::int32_t x = 0; x < destination.width; ++x)
        columnOffsets[std::size_t(x)] = sourceSampleFor(x, source.width, destination.width) * bytesPerPixel;
    for (std::int32_t y = 0; y < destination.height; ++y) {
        const std::int32_t sourceRow = sourceSampleFor(y, source.height, destination.height);
        const std::uint8_t* in = source.data + std::size_t(sourceRow) * std::size_t(source.stride);
        std::uint8_t* out = destination.data + std::size_t(y) * std::size_t(destination.stride);
        for (std::int32_t x = 0; x < destination.width; ++x)
            std::memcpy(out + std::size_t(x) * std::size_t(bytesPerPixel), in + columnOffsets[std::size_t(x)],
                        std::size_t(bytesPerPixel));
    }
}

} // namespace vardolin::picture
