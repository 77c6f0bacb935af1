#pragma once
// Bringing a decoded picture's colours to sRGB. A copy carries no profile, so
// its numbers must already be sRGB for every viewer to show them right.

#include "picture/Picture.h"

#include <memory>
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
// picture.colour describes to sRGB and empties the tag. An untagged picture,
// or one whose tag is sRGB in all but name, is left exactly as it is. Never
// fails the picture: a tag that cannot be used is reported and ignored.
ColourOutcome toSrgb(Picture& picture, ColourCache& cache);

} // namespace vardolin::picture
