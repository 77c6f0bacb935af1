#pragma once
// CMYK pixels to sRGB as exactly as the colour library's unoptimised
// pipeline converts them, at the cost of a table look-up. The library's own
// precalculated transform samples the whole conversion, sRGB's steep curve
// included, on a grid of its own; where a profile's table bends sharply
// between its points (Ghostscript's PostScript CMYK, whose inks meet in a
// crease) it lands ten and more levels off in the shadows. This table holds
// the exact conversion in linear light at grid points that include the
// profile's own and interpolates between them the way the library
// interpolates the profile's table (linear along cyan, tetrahedral in
// magenta, yellow and black), so whatever that table makes piecewise linear
// stays exact; sRGB's curve comes last, through a fine table.

#include "picture/Result.h"
#include "picture/colour/LcmsHandles.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vardolin::picture {

class CmykTable {
public:
    // The table for a CMYK profile converted to srgb (the library's own
    // sRGB profile) by intent and flags, or why there is none.
    static Result<CmykTable> from(cmsContext context, cmsHPROFILE profile, cmsHPROFILE srgb, cmsUInt32Number intent,
                                  cmsUInt32Number flags);

    // Inverted CMYK (255 = no ink, as libjpeg hands out such files) to
    // blue-green-red.
    void convertRow(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width) const;

    // Grid points per channel for a profile whose table has profileGrid
    // points (0 when it has none): a multiple of its spacing, so every point
    // of the profile is one of ours.
    static int pointsFor(int profileGrid);

private:
    int points_ = 0;
    // points^4 nodes of linear red, green, blue; cyan varies slowest, black fastest.
    std::vector<float> nodes_;
    // Per channel and stored byte: the offset of the node below in nodes_
    // and the way from it to the next.
    std::array<std::array<std::uint32_t, 256>, 4> below_{};
    std::array<std::array<float, 256>, 4> fraction_{};
    std::array<std::uint32_t, 4> step_{}; // from one node to the next along each channel

    void interpolate(const float* cube, float magenta, float yellow, float black, float out[3]) const;
};

} // namespace vardolin::picture
