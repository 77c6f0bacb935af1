#pragma once
// The colours of a PNG that states a gamma (gAMA) and chromaticities (cHRM)
// instead of embedding a profile: a profile of a tone curve and primaries
// built from them, as web browsers read such files. Without cHRM the
// primaries are sRGB's; without gAMA the curve is sRGB's.

#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/colour/LcmsHandles.h"

#include <string>

namespace vardolin::picture {

// The profile the tag's gamma and chromaticities describe for its channels;
// an empty handle when they describe sRGB. A gamma within 5 % of 1/2.2 beside
// sRGB's chromaticities, or beside none, is sRGB: it is what writers add to
// an sRGB picture for readers that know no sRGB chunk (the PNG
// standard tells them to, and libpng judges such a gAMA by the same
// 5 %), and reading it as a pure power curve would darken the shadows of
// countless pictures that are sRGB.
Result<ProfileHandle> profileForGamma(cmsContext context, const ColourTag& tag);

// The chunks in words, for the note of what was converted.
std::string describeGamma(const ColourTag& tag);

} // namespace vardolin::picture
