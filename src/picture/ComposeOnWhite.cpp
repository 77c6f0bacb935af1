#include "picture/ComposeOnWhite.h"

#include "picture/Picture.h"

#include <cstddef>

namespace vardolin::picture {

void composeRowOnWhite(const std::uint8_t* bgra, std::int32_t width, std::uint8_t* bgr)
{
    for (std::int32_t x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        const std::uint8_t alpha = bgra[3];
        bgr[0] = composeOnWhite(bgra[0], alpha);
        bgr[1] = composeOnWhite(bgra[1], alpha);
        bgr[2] = composeOnWhite(bgra[2], alpha);
    }
}

ComposedCopy composeOnWhiteCopy(const RowSource& bgraRows)
{
    ComposedCopy copy;
    const std::int32_t stride = strideFor(bgraRows.width, 24);
    copy.pixels.assign(std::size_t(stride) * std::size_t(bgraRows.height), 0);
    for (std::int32_t y = 0; y < bgraRows.height; ++y)
        composeRowOnWhite(bgraRows.memoryRow(y), bgraRows.width,
                          copy.pixels.data() + std::size_t(y) * std::size_t(stride));
    copy.rows = RowSource{copy.pixels.data(), bgraRows.width, bgraRows.height, stride, 24};
    return copy;
}

} // namespace vardolin::picture
