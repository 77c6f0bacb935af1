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

} // namespace vardolin::picture
