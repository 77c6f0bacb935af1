#pragma once
// Whether a profile is sRGB in all but name. Cameras and editors embed many
// copies of sRGB that differ in bytes, version and name; converting through
// any of them would only move pixels by rounding, so their copies are left
// exactly as the file holds them.

#include "picture/colour/LcmsHandles.h"

#include <array>
#include <cstdint>

namespace vardolin::picture {

// The colorants (rXYZ, gXYZ, bXYZ) and tone curves of an RGB profile are
// sRGB's: each colorant within 0.002, and every 8-bit value through the
// profile's curve and back through sRGB's lands within one step of itself.
bool hasSrgbColorantsAndCurves(cmsHPROFILE profile, cmsHPROFILE srgb);
// The gray tone curve of a gray profile is sRGB's, as above.
bool hasSrgbGrayCurve(cmsHPROFILE profile, cmsHPROFILE srgb);

// An 8-bit blue-green-red transform moves no colour of a 16-level grid by
// more than one step: the profile acts as sRGB, whatever its tags say.
bool leavesRgbAlone(cmsHTRANSFORM bgr);
// The gray table maps every level onto itself within one step.
bool leavesGrayAlone(const std::array<std::array<std::uint8_t, 3>, 256>& grayToBgr);

} // namespace vardolin::picture
