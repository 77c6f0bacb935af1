#pragma once
// Inside the colour cache: what one distinct colour tag turned out to be, and
// the transforms built for it. Only the colour files include this.

#include "picture/colour/CmykTable.h"
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
        Cmyk,    // inverted CMYK through cmyk, while decoding
    };

    std::size_t hash = 0;
    std::vector<std::uint8_t> key; // what the tag holds, after a byte that says which kind it is
    ColourTag::Channels channels = ColourTag::Channels::Rgb;

    Kind kind = Kind::Ignored;
    std::string ignoredBecause;
    // The note a conversion through it leaves: the profile's own name (or
    // the code points, or the PNG chunks) and the intent.
    Note converted{Note::Kind::ColourConverted, {}};
    ProfileHandle profile; // kept to build the transform with alpha when first needed
    cmsUInt32Number intent = INTENT_PERCEPTUAL;
    cmsUInt32Number flags = 0;
    TransformHandle bgr;  // Rgb: 24-bit rows in place
    TransformHandle bgra; // Rgb: 32-bit rows in place, alpha copied; made on first use
    std::optional<CmykTable> cmyk;
    std::optional<MatrixShaper> matrixShaper;
    std::array<std::array<std::uint8_t, 3>, 256> grayToBgr{};
    // Gray: the same for each 16-bit level, made on first use.
    std::vector<std::array<std::uint8_t, 3>> gray16ToBgr;
};

// What the library said while one piece of work asked it about one profile:
// the first complaint (the cause; the ones after are its consequences), and
// the profile's size, which bounds the blocks the library may allocate.
struct LibraryHearing {
    std::string complaint;
    std::size_t profileBytes = 0;
    bool open = false;
};

// The library reports through callbacks on its context. A Listening on the
// stack opens a fresh hearing for one piece of work and closes it when the
// work is done, so no complaint outlives the work it belongs to.
class Listening {
public:
    Listening(ColourCache::Impl& impl, std::size_t profileBytes);
    ~Listening();
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;

    // otherwise, with the library's complaint when it made one.
    std::string reason(const char* otherwise) const;

private:
    ColourCache::Impl& impl_;
};

struct ColourCache::Impl {
    Impl();

    // The entry for tag (its profile, or its code points when it has none),
    // built on first sight. The reference lasts until the next call.
    ColourEntry& entryFor(const ColourTag& tag);
    // The 32-bit transform of an Rgb entry, built on first use, or why it
    // cannot be.
    Result<cmsHTRANSFORM> bgraTransform(ColourEntry& entry);
    // A Gray entry's table for 16-bit levels, made on first use; null when it
    // cannot be.
    const std::array<std::uint8_t, 3>* gray16Levels(ColourEntry& entry);

    // The hearing of the piece of work in progress; null between them.
    LibraryHearing* openHearing() { return hearing_.open ? &hearing_ : nullptr; }

    // Declared before the context, which asks for blocks at once.
    LibraryHearing hearing_;
    ContextHandle context;
    ProfileHandle srgb;

private:
    void build(ColourEntry& entry, const ColourTag& tag, const Listening& listening);
    void buildFromProfile(ColourEntry& entry, ProfileHandle profile, const Listening& listening, std::string from);
    void buildRgb(ColourEntry& entry, const Listening& listening);
    void buildGray(ColourEntry& entry, const Listening& listening);
    void buildCmyk(ColourEntry& entry, const Listening& listening);
    bool grayLevels(const ColourEntry& entry, std::array<std::uint8_t, 3>* out, std::size_t count);
    void ignore(ColourEntry& entry, std::string why);

    std::deque<ColourEntry> entries_; // the most recently built last
};

} // namespace vardolin::picture
