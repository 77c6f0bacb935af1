#pragma once
// What every decoder must hand back on success: a store that matches its
// sizes, and no larger than the whole picture the file describes.

#include "picture/Picture.h"

#include <cstdlib>

namespace vardolin::fuzz {

inline void checkStore(const picture::Picture& picture)
{
    using picture::Format;
    if (picture.format == Format::Icon)
        return;
    if (picture.width <= 0 || picture.height <= 0 || (picture.depth != 24 && picture.depth != 32))
        std::abort();
    if (picture.stride < picture::strideFor(picture.width, picture.depth)
        || picture.pixels.size() < std::size_t(picture.stride) * std::size_t(picture.height))
        std::abort();
    if (picture.fullSize.width < picture.width && picture.fullSize.height < picture.height)
        std::abort();
}

} // namespace vardolin::fuzz
