#pragma once
// Bringing a decoded picture's colours to sRGB. A copy carries no profile, so
// its numbers must already be sRGB for every viewer to show them right.

#include "picture/Picture.h"

#include <memory>

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

// Converts the pixels (24 or 32 bits; alpha passes through) from the colours
// picture.colour describes to sRGB, in 8 bits, empties the tag and notes
// what was done. An untagged picture, or one whose tag is sRGB in all but
// name, is left exactly as it is, without a note. Never fails the picture:
// a tag that cannot be used is ignored, with a note of why.
void toSrgb(Picture& picture, ColourCache& cache, Notes& notes);

} // namespace vardolin::picture
