#include "picture/Picture.h"

namespace vardolin::picture {

std::int32_t strideFor(std::int32_t width, int depth)
{
    // Computed in 64 bits so that the widest side the budget allows cannot
    // overflow before the division.
    const std::int64_t w = width < 0 ? 0 : width;
    switch (depth) {
    case 1: return std::int32_t((w + 31) / 32 * 4);
    case 4: return std::int32_t((w + 7) / 8 * 4);
    case 8: return std::int32_t((w + 3) / 4 * 4);
    case 15:
    case 16: return std::int32_t((w + 1) / 2 * 4);
    case 24: return std::int32_t((3 * w + 3) / 4 * 4);
    case 32: return std::int32_t(4 * w);
    default: return 0;
    }
}

bool Picture::hasStore() const
{
    return format != Format::Icon && (depth == 24 || depth == 32) && width > 0 && height > 0
           && stride >= strideFor(width, depth) && pixels.size() >= std::size_t(stride) * std::size_t(height);
}

} // namespace vardolin::picture
