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

namespace {

// Pixels counted for memory: more than 2^40 could not be allocated anyway,
// and the products below stay within 64 bits.
std::uint64_t countedPixels(std::uint64_t pixels)
{
    return std::min<std::uint64_t>(pixels, std::uint64_t(1) << 40);
}

std::uint64_t codecMemoryFor(std::uint64_t pixels)
{
    constexpr std::uint64_t bytesPerPixel = 8;
    constexpr std::uint64_t tablesAndRows = 16u << 20;
    return countedPixels(pixels) * bytesPerPixel + tablesAndRows;
}

} // namespace

std::uint64_t codecMemoryLimit(const Limits& limits)
{
    return codecMemoryFor(limits.pixelBudget);
}

std::uint64_t decodeMemoryFor(std::uint64_t pixels)
{
    constexpr std::uint64_t storesOfFourBytes = 2 * 4;
    constexpr std::uint64_t threads = 128u << 20;
    return codecMemoryFor(pixels) + countedPixels(pixels) * storesOfFourBytes + threads;
}

std::uint64_t decodeMemoryLimit(const Limits& limits)
{
    return decodeMemoryFor(limits.pixelBudget);
}

} // namespace vardolin::picture
