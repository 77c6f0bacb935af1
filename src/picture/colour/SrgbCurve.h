#pragma once
// sRGB's tone curve, shared by the conversions that compute in linear light
// and write sRGB's 8-bit levels.

#include <cstdint>

namespace vardolin::picture {

// Linear light 0..1 in this many steps indexes srgbLevels().
constexpr int kLinearSteps = 16384;

// sRGB's encoding of linear light (IEC 61966-2-1).
double srgbEncoded(double linear);
// The 8-bit sRGB level of each of kLinearSteps + 1 steps of linear light;
// made once, read by every thread.
const std::uint8_t* srgbLevels();

} // namespace vardolin::picture
