#include "picture/Limits.h"

#include <algorithm>
#include <string>

namespace vardolin::picture {

Result<void> Limits::check(std::int64_t width, std::int64_t height) const
{
    if (width <= 0 || height <= 0)
        return fail("picture has no pixels: " + std::to_string(width) + " x " + std::to_string(height));
    const bool sideTooLong = width > maxSide || height > maxSide;
    // Both sides fit in 32 bits here, so the product cannot overflow 64 bits.
    const bool tooManyPixels = sideTooLong || std::uint64_t(width) * std::uint64_t(height) > pixelBudget;
    if (tooManyPixels)
        return fail("picture too large: " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    return {};
}

std::uint64_t codecMemoryLimit(const Limits& limits)
{
    constexpr std::uint64_t bytesPerPixel = 8;
    constexpr std::uint64_t tablesAndRows = 16u << 20;
    const std::uint64_t budget = std::min<std::uint64_t>(limits.pixelBudget, std::uint64_t(1) << 40);
    return budget * bytesPerPixel + tablesAndRows;
}

std::uint64_t decodeMemoryFor(std::uint64_t pixels)
{
    constexpr std::uint64_t storesOfFourBytes = 2 * 4;
    constexpr std::uint64_t threads = 128u << 20;
    Limits limits;
    limits.pixelBudget = std::min<std::uint64_t>(pixels, std::uint64_t(1) << 40);
    return codecMemoryLimit(limits) + limits.pixelBudget * storesOfFourBytes + threads;
}

std::uint64_t decodeMemoryLimit(const Limits& limits)
{
    return decodeMemoryFor(limits.pixelBudget);
}

} // namespace vardolin::picture
