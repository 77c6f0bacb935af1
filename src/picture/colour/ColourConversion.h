#pragma once
// For decoders of CMYK files, which convert while decoding: the pixels' own
// channels are gone once they are blue-green-red.

#include "picture/Colour.h"
#include "picture/Result.h"

#include <array>
#include <cstdint>
#include <optional>

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

class MatrixShaper;
// Converts rows of 16-bit samples (gray, gray and alpha, red-green-blue, or
// red-green-blue and alpha, in the machine's byte order) to blue-green-red
// sRGB, with alpha reduced as libpng reduces it (255 in 4-byte pixels of
// samples without alpha), before the samples lose their low bits: a profile
// applied to 8 bits makes a wide gamut's shadows no better than an 8-bit
// picture's. Trivially copied and destroyed, so it
// may cross a longjmp; it lives as long as the cache it came from and no
// other tag is looked up.
struct WideRows {
    const MatrixShaper* shaper = nullptr;              // red-green-blue
    const std::array<std::uint8_t, 3>* gray = nullptr; // gray: blue-green-red of each of 65536 levels
    const Note* converted = nullptr;                   // the picture's note of what was done
    void convert(const std::uint16_t* samples, int channels, std::uint8_t* out, std::uint32_t width,
                 int outBytesPerPixel) const;
};
// The rows' conversion for a tag whose profile costs little per pixel (a
// matrix-shaper or a gray curve), so that converting the whole picture
// before it is scaled costs little too; nothing for any other tag (nothing
// to do, a profile the colour library converts, or one that cannot be
// used), which is then converted after scaling as an 8-bit picture is.
std::optional<WideRows> wideRowsFor(const ColourTag& tag, ColourCache& cache);

} // namespace vardolin::picture
