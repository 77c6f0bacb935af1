#include "picture/formats/PixelStore.h"

namespace vardolin::picture {

void allocateStore(Picture& picture, std::int32_t width, std::int32_t height, int depth)
{
    picture.width = width;
    picture.height = height;
    picture.depth = std::uint8_t(depth);
    picture.stride = strideFor(width, depth);
    picture.pixels.assign(std::size_t(picture.stride) * std::size_t(height), 0);
}

void paintMissingRows(Picture& picture, std::int32_t firstMissingRow)
{
    const int channels = picture.depth / 8;
    // Bottom-up: the picture's rows from firstMissingRow down are the store's first ones.
    for (std::int32_t memoryRow = 0; memoryRow < picture.height - firstMissingRow; ++memoryRow) {
        std::uint8_t* pixel = picture.row(memoryRow);
        for (std::int32_t x = 0; x < picture.width; ++x, pixel += channels) {
            pixel[0] = pixel[1] = pixel[2] = 128;
            if (channels == 4)
                pixel[3] = 255;
        }
    }
}

} // namespace vardolin::picture
