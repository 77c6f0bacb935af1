#pragma once
// Creating the bottom-up pixel store every decoder writes into, behind the
// pixel budget that keeps a lying header from allocating gigabytes.

#include "picture/Picture.h"

#include <cstdint>
#include <string>

namespace vardolin::picture {

// Empty when width x height fits the budget; otherwise the reason for the run
// log. Non-positive sizes are refused too: there is nothing to decode.
std::string budgetError(std::int64_t width, std::int64_t height, const LoadOptions& options);

// The most a codec library may allocate for one picture besides our store:
// eight bytes per pixel of the budget (a progressive CMYK JPEG's coefficients,
// a 16-bit RGBA TIFF strip) and a little for tables and row buffers.
std::uint64_t codecMemoryLimit(const LoadOptions& options);

// Sets width, height, depth and stride and allocates the zero-filled store.
void allocateStore(Picture& picture, std::int32_t width, std::int32_t height, int depth);

} // namespace vardolin::picture
