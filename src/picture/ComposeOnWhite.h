#pragma once
// A picture with alpha written where the format has none is shown as it would
// look over white paper.

#include "picture/formats/RowSource.h"

#include <cstdint>
#include <vector>

namespace vardolin::picture {

// ((c − 255)·a + 65025) / 255 with the fraction dropped. The numerator is
// never negative (c − 255 ≥ −255, a ≤ 255), so integer division is exact truncation.
constexpr std::uint8_t composeOnWhite(std::uint8_t channel, std::uint8_t alpha)
{
    return std::uint8_t(((int(channel) - 255) * int(alpha) + 65025) / 255);
}

// One row of blue-green-red-alpha pixels to blue-green-red.
void composeRowOnWhite(const std::uint8_t* bgra, std::int32_t width, std::uint8_t* bgr);

// A 24-bit copy (rows padded to 4 bytes, same bottom-up order) of 32-bit rows.
struct ComposedCopy {
    std::vector<std::uint8_t> pixels;
    RowSource rows;
};
ComposedCopy composeOnWhiteCopy(const RowSource& bgraRows);

} // namespace vardolin::picture
