#pragma once
// Shrink-on-load: the DCT scale at which a JPEG is decoded.

#include "picture/Picture.h"

namespace vardolin::picture {

// The libjpeg output size of a full-size side at scale numerator/8.
constexpr std::int32_t jpegScaledSide(std::int32_t fullSide, int numerator)
{
    return std::int32_t((std::int64_t(fullSide) * numerator + 7) / 8);
}

// The smallest numerator n in 1..8 whose output size n/8 still covers target
// in both sides, so the scaler after it only ever shrinks; 8 when even the
// full size does not cover it.
constexpr int jpegScaleCovering(Size full, Size target)
{
    for (int n = 1; n < 8; ++n)
        if (jpegScaledSide(full.width, n) >= target.width && jpegScaledSide(full.height, n) >= target.height)
            return n;
    return 8;
}

} // namespace vardolin::picture
