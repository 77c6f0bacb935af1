#pragma once
// The colour conversion of the common camera and phone profiles (Adobe RGB,
// ProPhoto, Display P3: a tone curve per channel and a 3 x 3 matrix) done
// here instead of through the colour library's general pixel loop, which
// costs several times as much per pixel: each channel to linear light by a
// table, the matrix into sRGB's primaries, back to sRGB's curve by a table.
// It runs on every pixel of a tagged copy, so it is written for speed: the
// look-ups are plain loads, and the matrix works on whole vectors of
// integers, giving the same numbers with or without vector instructions.
// Where the processor can look up a whole vector at once from tables held
// in registers (AVX-512 with byte permutes), the look-ups, the matrix and
// the way back to sRGB's levels go that way: the same numbers again, in
// about a third of the time.

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

    // Which instructions convertRow may use: the widest the processor has,
    // or SSE2 alone (for tests that hold the two to the same numbers).
    enum class Instructions { Widest, Sse2 };
    // Whether this processor has the wide look-ups.
    static bool hasWideLookups();

    // Converts blue-green-red pixels in place; with 4 bytes per pixel the
    // fourth (alpha) is left as it is.
    void convertRow(std::uint8_t* pixels, std::int32_t width, int bytesPerPixel,
                    Instructions use = Instructions::Widest) const;
    // Converts 16-bit samples (red, green, blue; with 4 channels the fourth,
    // alpha, is skipped) into the first three bytes of blue-green-red pixels
    // of outBytesPerPixel bytes, before any of the samples' bits are lost.
    void convertRow16(const std::uint16_t* samples, int channels, std::uint8_t* out, std::int32_t width,
                      int outBytesPerPixel) const;

    // Pixels converted at a time, between the look-ups and the matrix.
    static constexpr int kStretch = 256;
    static constexpr int kMatrixOne = 8192; // matrix entries in 1/8192: up to 4 fits 16 bits
    // One stretch of pixels on its way through: linear light as the look-ups
    // leave it, then linear sRGB in steps of kLinearSteps as the matrix leaves
    // it. Room for a whole vector past the last pixel, which the matrix step
    // reads.
    struct Stretch {
        alignas(16) std::uint32_t redGreen[kStretch];
        alignas(16) std::uint32_t blueOne[kStretch];
        alignas(16) std::int16_t red[kStretch];
        alignas(16) std::int16_t green[kStretch];
        alignas(16) std::int16_t blue[kStretch];
    };

private:
    static constexpr int kSampleSteps = 4096; // 16-bit samples: the curve's value every 16 levels

    // Linear light of each 8-bit level in 1/kLinearSteps, placed as the
    // matrix step reads it: red in the low half of a 32-bit word and green
    // in the high half, added into one word; blue in the low half with a 1
    // in the high half, which the matrix step turns into the rounding.
    std::array<std::uint32_t, 256> red_{}, green_{}, blue_{};
    // The same linear light, plain, for the wide look-ups: red, green, blue.
    std::array<std::array<std::uint16_t, 256>, 3> linear_{};
    // Linear light of every 16th level of a 16-bit sample (red, green,
    // blue, kSampleSteps + 1 each), in 1/kLinearSteps.
    std::vector<std::int32_t> sampleLevels_;
    // Linear profile RGB to linear sRGB, rows red, green and blue of sRGB,
    // in 1/kMatrixOne.
    std::array<std::array<std::int16_t, 3>, 3> matrix_{};

    void mix(Stretch& stretch, int count) const;
    // Looks up and mixes the row with the wide instructions and encodes it;
    // returns how many pixels it converted (whole vectors of 32 only, the
    // rest left for the plain way).
    std::int32_t convertWide(std::uint8_t* pixels, std::int32_t width, int bytesPerPixel) const;
    static void encode(const Stretch& stretch, int count, std::uint8_t* out, std::size_t pixelBytes, Instructions use);
};

} // namespace vardolin::picture
