#pragma once
// For decoders of CMYK files, which convert while decoding: the pixels' own
// channels are gone once they are blue-green-red.

#include "picture/Colour.h"
#include "picture/Result.h"

#include <cstdint>

namespace vardolin::picture {

// Converts rows of inverted CMYK (as libjpeg hands them out) to blue-green-red
// sRGB through the profile. Trivially copied and destroyed, so it may cross a
// longjmp; it lives as long as the cache it came from and no other tag is
// looked up.
class CmykTable;
struct CmykRows {
    const CmykTable* table = nullptr;
    const Note* converted = nullptr; // the picture's note of what was done
    void convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width) const;
};
// The rows' conversion for a tag holding a CMYK profile, or why the profile
// cannot be used; the decoder then keeps its formula.
Result<CmykRows> cmykRowsFor(const ColourTag& tag, ColourCache& cache);

} // namespace vardolin::picture
