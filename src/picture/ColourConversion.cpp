#include "picture/ColourConversion.h"

namespace vardolin::picture {

struct ColourCache::Impl {};

ColourCache::ColourCache() : impl_(std::make_unique<Impl>()) {}
ColourCache::~ColourCache() = default;

ColourOutcome toSrgb(Picture& picture, ColourCache&)
{
    picture.colour = {};
    return {};
}

} // namespace vardolin::picture
