#pragma once
// TIFF through libtiff's RGBA raster: read, never written.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"

namespace vardolin::picture {

bool probeTiff(ByteSpan bytes);
Result<Decoded> decodeTiff(ByteSpan bytes, const LoadOptions& options);

} // namespace vardolin::picture
