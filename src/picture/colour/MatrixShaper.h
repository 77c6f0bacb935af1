#pragma once
// The colour conversion of the common camera and phone profiles (Adobe RGB,
// ProPhoto, Display P3: a tone curve per channel and a 3 x 3 matrix) done
// here instead of through the colour library's general pixel loop, which
// costs several times as much per pixel: each channel to linear light by a
// table, the matrix into sRGB's primaries, back to sRGB's curve by a table.

#include "picture/Result.h"
#include "picture/colour/LcmsHandles.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vardolin::picture {

class MatrixShaper {
public:
    // Built from an RGB profile that is a matrix-shaper and keeps black at
    // zero (so black-point compensation has nothing to do); for any other
    // profile, why not: it then goes through the library.
    static Result<MatrixShaper> from(cmsHPROFILE profile, cmsHPROFILE srgb);

    // Converts blue-green-red pixels in place; with 4 bytes per pixel the
    // fourth (alpha) is left as it is.
    void convertRow(std::uint8_t* pixels, std::int32_t width, int bytesPerPixel) const;

private:
    static constexpr int kEncodeSteps = 16384; // linear light 0..1 in these steps

    std::array<std::array<float, 256>, 3> linear_{}; // red, green, blue
    float matrix_[3][3] = {};                        // linear profile RGB -> linear sRGB
    std::vector<std::uint8_t> encode_;               // kEncodeSteps + 1 levels of sRGB's curve
};

} // namespace vardolin::picture
