#pragma once
// What the colour library takes from a profile without asking whether it
// makes sense: colorants that are all zero turn every picture black, a zero
// blue colorant takes the blue away, a curve of gamma 0 holds red at full.
// Such a profile describes no real colours; it is ignored like any other
// that cannot be used.

#include "picture/Result.h"
#include "picture/colour/LcmsHandles.h"

#include <cstdint>

namespace vardolin::picture {

// Nothing when the profile (of the colour space `space`, a signature) can
// describe a picture's colours converted by intent and flags; otherwise why
// not: its colorants cannot be inverted, a tone curve is constant, or white
// does not come out near white.
Result<void> checkSensible(cmsContext context, cmsHPROFILE profile, std::uint32_t space, cmsUInt32Number intent,
                           cmsUInt32Number flags);

} // namespace vardolin::picture
