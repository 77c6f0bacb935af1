#pragma once
// Inside the colour cache: what one distinct colour tag turned out to be, and
// the transforms built for it. Only the colour files include this.

#include "picture/colour/ColourConversion.h"
#include "picture/colour/LcmsHandles.h"
#include "picture/colour/MatrixShaper.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace vardolin::picture {

struct ColourEntry {
    enum class Kind {
        Ignored, // the tag cannot be used; ignoredBecause says why
        Srgb,    // sRGB in all but name: nothing to do
        Rgb,     // red-green-blue through a transform
        Matrix,  // red-green-blue through matrixShaper
        Gray,    // gray through grayToBgr
        Cmyk,    // inverted CMYK through cmykToBgr, while decoding
    };

    std::size_t hash = 0;
    std::vector<std::uint8_t> key; // the profile's bytes, or the code points
    ColourTag::Channels channels = ColourTag::Channels::Rgb;

    Kind kind = Kind::Ignored;
    std::string ignoredBecause;
    ProfileHandle profile; // kept to build the transform with alpha when first needed
    cmsUInt32Number intent = INTENT_PERCEPTUAL;
    cmsUInt32Number flags = 0;
    TransformHandle bgr;  // Rgb: 24-bit rows in place
    TransformHandle bgra; // Rgb: 32-bit rows in place, alpha copied; made on first use
    TransformHandle cmykToBgr;
    std::optional<MatrixShaper> matrixShaper;
    std::array<std::array<std::uint8_t, 3>, 256> grayToBgr{};
};

struct ColourCache::Impl {
    Impl();

    // The entry for tag (its profile, or its code points when it has none),
    // built on first sight. The reference lasts until the next call.
    ColourEntry& entryFor(const ColourTag& tag);
    // The 32-bit transform of an Rgb entry, or null when it cannot be built.
    cmsHTRANSFORM bgraTransform(ColourEntry& entry);

    // The library's last complaint on this cache's context; empty when none.
    std::string lastError;
    // The size of the profile being read or used: it bounds the blocks the
    // library may ask for (declared before the context, which asks at once).
    std::size_t profileBytes = 0;
    ContextHandle context;
    ProfileHandle srgb;

private:
    void build(ColourEntry& entry, const ColourTag& tag);
    void buildFromProfile(ColourEntry& entry, ProfileHandle profile);
    void buildRgb(ColourEntry& entry);
    void buildGray(ColourEntry& entry);
    void buildCmyk(ColourEntry& entry);
    // Before the library is asked anything about entry: forgets its last
    // complaint and bounds its blocks by entry's profile.
    void startWith(const ColourEntry& entry);
    void ignore(ColourEntry& entry, std::string why);
    std::string libraryError(const char* otherwise) const;

    std::deque<ColourEntry> entries_; // the most recently built last
};

} // namespace vardolin::picture
