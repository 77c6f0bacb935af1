#pragma once
// Bringing a decoded picture's colours to sRGB. A copy carries no profile, so
// its numbers must already be sRGB for every viewer to show them right.

#include "picture/Picture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vardolin::picture {

// The colour transforms one worker has built, kept for the next picture:
// a camera's photos all carry the same profile. Not shared between threads.
class ColourCache {
public:
    ColourCache();
    ~ColourCache();
    ColourCache(const ColourCache&) = delete;
    ColourCache& operator=(const ColourCache&) = delete;

    struct Impl;
    Impl& impl() { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// What toSrgb did with the picture's colour tag.
struct ColourOutcome {
    bool converted = false; // the pixels changed
    // Empty unless the tag was ignored; then why, in words for the run log.
    // The pixels are left as the file holds them, as if it carried no tag.
    std::string ignoredBecause;
};

// Converts the pixels (24 or 32 bits; alpha passes through) from the colours
// picture.colour describes to sRGB, in 8 bits, and empties the tag. An untagged picture,
// or one whose tag is sRGB in all but name, is left exactly as it is. Never
// fails the picture: a tag that cannot be used is reported and ignored.
ColourOutcome toSrgb(Picture& picture, ColourCache& cache);

// For decoders of CMYK files, which convert while decoding: the pixels' own
// channels are gone once they are blue-green-red. Converts rows of inverted
// CMYK (as libjpeg hands them out) to blue-green-red sRGB through the
// profile. Trivially copied and destroyed, so it may cross a longjmp; it
// lives as long as the cache it came from and no other tag is looked up.
struct CmykRows {
    void* transform = nullptr;
    void convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width) const;
};
// Nothing when the tag holds no usable CMYK profile; the decoder then keeps
// its formula and the tag, and toSrgb says why.
std::optional<CmykRows> cmykRowsFor(const ColourTag& tag, ColourCache& cache);

} // namespace vardolin::picture
