#pragma once
// The colours of a HEIF or AVIF file that names them by code points (an nclx
// box) instead of embedding a profile: a profile built from the primaries and
// the transfer curve the code points name.

#include "picture/Result.h"
#include "picture/colour/LcmsHandles.h"

#include <cstdint>

namespace vardolin::picture {

// The profile for these code points; an empty handle when they describe sRGB
// (BT.709 primaries, or unspecified, with a curve of the sRGB family), so
// nothing needs doing. Fails for code points it does not convert, among
// them the HDR curves (PQ, HLG), which need tone mapping rather than a
// profile.
Result<ProfileHandle> profileForCicp(cmsContext context, std::uint16_t primaries, std::uint16_t transfer);

} // namespace vardolin::picture
