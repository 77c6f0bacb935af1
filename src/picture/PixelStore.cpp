#include "picture/PixelStore.h"

#include <algorithm>

namespace vardolin::picture {

std::string budgetError(std::int64_t width, std::int64_t height, const LoadOptions& options)
{
    if (width <= 0 || height <= 0)
        return "picture has no pixels: " + std::to_string(width) + " x " + std::to_string(height);
    const bool sideTooLong = width > options.maxSide || height > options.maxSide;
    // Both sides fit in 32 bits here, so the product cannot overflow 64 bits.
    const bool tooManyPixels = std::uint64_t(width) * std::uint64_t(height) > options.pixelBudget;
    if (sideTooLong || tooManyPixels)
        return "picture too large: " + std::to_string(width) + " x " + std::to_string(height) + " pixels";
    return {};
}

std::uint64_t codecMemoryLimit(const LoadOptions& options)
{
    constexpr std::uint64_t bytesPerPixel = 8;
    constexpr std::uint64_t tablesAndRows = 16u << 20;
    const std::uint64_t budget = std::min<std::uint64_t>(options.pixelBudget, std::uint64_t(1) << 40);
    return budget * bytesPerPixel + tablesAndRows;
}

void allocateStore(Picture& picture, std::int32_t width, std::int32_t height, int depth)
{
    picture.width = width;
    picture.height = height;
    picture.depth = std::uint8_t(depth);
    picture.stride = strideFor(width, depth);
    picture.pixels.assign(std::size_t(picture.stride) * std::size_t(height), 0);
}

} // namespace vardolin::picture
