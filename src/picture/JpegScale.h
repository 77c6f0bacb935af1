#pragma once
// Shrink-on-load: the DCT scale at which a JPEG is decoded.

#include "picture/Picture.h"

#include <algorithm>
#include <cstdint>

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

// The scaled IDCT sharpens rather than averages. Decoding at a scale that
// covers twice the new size leaves the averaging scaler at least two source
// pixels per copy pixel, which keeps the copy close to an area average of the
// full picture (measured on real photos: about 4.5 dB PSNR more) for about a
// quarter more decode time.
inline constexpr int kAveragingMargin = 2;

constexpr Size withAveragingMargin(Size target)
{
    auto widen = [](std::int32_t side) {
        return std::int32_t(std::min<std::int64_t>(std::int64_t(side) * kAveragingMargin, INT32_MAX));
    };
    return {widen(target.width), widen(target.height)};
}

} // namespace vardolin::picture
