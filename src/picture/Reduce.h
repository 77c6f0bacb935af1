#pragma once
// The picture a reduced copy is encoded from: the file's bytes loaded with
// shrink-on-load, scaled so that its shorter side gets the chosen length and
// brought to sRGB, in this order: every step of a copy before its encoder.
// The decode process runs it on each file it is handed; the copy's bytes
// depend on nothing else.

#include "picture/ByteCursor.h"
#include "picture/Colour.h"
#include "picture/Picture.h"

#include <cstdint>
#include <string>

namespace vardolin::picture {

// The new size for a picture of full size w x h whose shorter side becomes S:
// the ratio long/short is computed in double and stored as a float, the
// product S x ratio is formed in double and rounded to the nearest integer,
// ties to even. 4000x3000 with 600 gives 800x600, 1920x1080 gives 1067x600.
// A zero or negative side, or a result beyond 32 bits, gives 0x0.
Size reducedSize(Size full, std::int64_t shortSide);

struct ReduceRequest {
    Limits limits;
    std::int64_t shortSide = 0;
    bool applyExifOrientation = true;
    // The Exif made ready for the copy (Decoded::metadata).
    KeepMetadata metadata = KeepMetadata::None;
    // LoadOptions::beforeDecodingPixels.
    std::function<void(std::uint64_t statedPixels)> beforeDecodingPixels;
};

struct Reduced {
    enum class Failed : std::uint8_t { Nothing, Load, Scale };
    Failed failed = Failed::Nothing;
    std::string reason; // why, when a step failed
    Size scaleTo;       // the size the picture is scaled to; known once it loaded
    // When nothing failed: the picture at scaleTo, in sRGB, with its notes.
    // fullSize stays the file's own.
    Decoded decoded;
};

// Loads bytes (as loadPicture does a file's), scales the picture to
// reducedSize(fullSize, shortSide) and converts its colours with cache.
Reduced reduceForCopy(ByteSpan bytes, const ReduceRequest& request, ColourCache& cache);

} // namespace vardolin::picture
