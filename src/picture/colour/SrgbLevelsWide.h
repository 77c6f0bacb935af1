#pragma once
// sRGB's 8-bit levels of linear light, 64 values at a time, where the
// processor has AVX-512 byte permutes: the same levels as srgbLevels(), in
// about a third of the time its table takes when read value by value.

#include <cstdint>

namespace vardolin::picture {

// Whether this processor has AVX-512 with byte permutes, which the wide
// colour paths need.
bool hasBytePermutes();
// Whether wideLevels may be called on this processor.
bool hasWideLevels();

// Writes the levels of count values (a multiple of 64) of linear light in
// steps of kLinearSteps, one row each of red, green and blue, as the first
// three bytes of blue-green-red pixels of 3 or 4 bytes; a fourth byte
// (alpha) is left as it is.
void wideLevels(const std::int16_t* red, const std::int16_t* green, const std::int16_t* blue, int count,
                std::uint8_t* pixels, int bytesPerPixel);

} // namespace vardolin::picture
