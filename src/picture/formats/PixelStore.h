#pragma once
// Creating the bottom-up pixel store every decoder writes into. Decoders check
// the size against the limits first, so a lying header never gets this far.

#include "picture/Picture.h"

#include <cstdint>

namespace vardolin::picture {

// Sets width, height, depth and stride and allocates the zero-filled store.
void allocateStore(Picture& picture, std::int32_t width, std::int32_t height, int depth);

// Paints the top rows of the picture from firstMissingRow on (counted from the
// top) opaque mid-grey: the part a damaged file no longer holds, shown as
// libjpeg shows the rest of a JPEG that ends early.
void paintMissingRows(Picture& picture, std::int32_t firstMissingRow);

} // namespace vardolin::picture
