#pragma once
// The size limits a picture is held to when it is loaded, scaled and copied:
// a lying header cannot allocate gigabytes, and every side fits in 32 bits.

#include "picture/Result.h"

#include <cstdint>

namespace vardolin::picture {

struct Limits {
    // Pictures over this many pixels, or with a side over maxSide, are refused
    // before any pixel memory is allocated.
    std::uint64_t pixelBudget = std::uint64_t(1) << 28;
    std::int32_t maxSide = 65535;

    // Ok when width x height has pixels and fits; otherwise the reason for the
    // run log.
    Result<void> check(std::int64_t width, std::int64_t height) const;
};

// The most a codec library may allocate for one picture besides our store:
// eight bytes per pixel of the budget (a progressive CMYK JPEG's coefficients,
// a 16-bit RGBA TIFF strip) and a little for tables and row buffers.
std::uint64_t codecMemoryLimit(const Limits& limits);

// What decoding a picture of this many pixels may take: the codec libraries'
// share (codecMemoryLimit), the decoded store and its scaled copy (up to four
// bytes a pixel each) and the stacks and tables of the libraries' threads.
std::uint64_t decodeMemoryFor(std::uint64_t pixels);
// The most a decode process may add to what it holds when it starts:
// decodeMemoryFor the whole budget.
std::uint64_t decodeMemoryLimit(const Limits& limits);

} // namespace vardolin::picture
