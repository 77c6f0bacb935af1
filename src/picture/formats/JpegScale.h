#pragma once
// Shrink-on-load: the DCT scale at which a JPEG is decoded.

#include "picture/Picture.h"

#include <cstdint>

namespace vardolin::picture {

// The libjpeg output size of a full-size side at scale numerator/8.
constexpr std::int32_t jpegScaledSide(std::int32_t fullSide, int numerator)
{
    return std::int32_t((std::int64_t(fullSide) * numerator + 7) / 8);
}

// The scale a JPEG is decoded at before the area average takes it to the
// target. Two things decide it, both measured on camera photos and
// wallpapers (bench/compare-batch):
// - cost: libjpeg-turbo has SIMD inverse DCTs only at 1/8, 2/8, 4/8 and 8/8;
//   the other scales run in plain C, so 3/8 costs more than 4/8 and 6/8 more
//   than the full size;
// - quality: a reduced inverse DCT is no area average. Leaving the averaging
//   at least one and a half source pixels per copy pixel keeps the copy at
//   50 dB PSNR mean and 40 dB on the worst photo against an area average of
//   the full decode (the full decode itself: 52 / 51 dB); decoding at the
//   scale that merely covers the target falls to 44 dB mean and 33 dB.
// So: the smallest of the SIMD scales whose output covers 3/2 of the target
// in both sides; the full size when none does.
inline constexpr int kSimdScales[] = {1, 2, 4};

constexpr bool coversWithMargin(std::int32_t scaledSide, std::int32_t targetSide)
{
    return 2 * std::int64_t(scaledSide) >= 3 * std::int64_t(targetSide);
}

constexpr int jpegScaleFor(Size full, Size target)
{
    for (int n : kSimdScales)
        if (coversWithMargin(jpegScaledSide(full.width, n), target.width)
            && coversWithMargin(jpegScaledSide(full.height, n), target.height))
            return n;
    return 8;
}

} // namespace vardolin::picture
