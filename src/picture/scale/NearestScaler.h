#pragma once
// Raw scaling: every destination pixel is a copy of the source pixel under its
// centre; rows and columns are dropped or repeated, nothing is averaged.

#include "picture/scale/AreaAverageScaler.h"

namespace vardolin::picture {

void nearestScale(const ConstPixelRect& source, const PixelRect& destination, int bytesPerPixel);

} // namespace vardolin::picture
