// The ICC profile reader and the colour conversion: any bytes as the profile
// of a small picture (RGB or gray, with or without alpha) or of CMYK rows, or
// as the code points of an nclx box. A profile may be ignored; whatever
// happens, alpha stays, the tag is used up, and an ignored profile leaves
// the pixels as they were.

#include "picture/colour/ColourConversion.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using namespace vardolin::picture;

Picture gradient(bool alpha)
{
    Picture picture;
    picture.width = 16;
    picture.height = 4;
    picture.depth = alpha ? 32 : 24;
    picture.sourceDepth = picture.depth;
    picture.format = Format::Png;
    picture.stride = strideFor(picture.width, picture.depth);
    picture.fullSize = {picture.width, picture.height};
    picture.pixels.resize(std::size_t(picture.stride) * std::size_t(picture.height));
    for (std::size_t i = 0; i < picture.pixels.size(); ++i)
        picture.pixels[i] = std::uint8_t(i * 37);
    return picture;
}

bool alphaKept(const Picture& before, const Picture& after)
{
    if (before.depth != 32)
        return true;
    for (std::size_t i = 3; i < before.pixels.size(); i += 4)
        if (before.pixels[i] != after.pixels[i])
            return false;
    return true;
}

void convertOnce(const ColourTag& tag, bool alpha, ColourCache& cache)
{
    Picture picture = gradient(alpha);
    picture.colour = tag;
    const Picture before = picture;
    Notes notes;
    toSrgb(picture, cache, notes);
    if (!picture.colour.empty() || !alphaKept(before, picture) || notes.size() > 1)
        std::abort();
    const bool converted = !notes.empty() && notes.front().kind == Note::Kind::ColourConverted;
    if (!converted && picture.pixels != before.pixels)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The last byte picks the variant, so the seeds stay whole profiles.
    const std::uint8_t variant = size > 0 ? data[size - 1] : 0;
    ColourTag tag;
    tag.channels = ColourTag::Channels(variant % 3);
    if ((variant & 0x80) && size >= 6) {
        tag.channels = ColourTag::Channels::Rgb;
        tag.cicpPrimaries = std::uint16_t(data[0] << 8 | data[1]);
        tag.cicpTransfer = std::uint16_t(data[2] << 8 | data[3]);
        tag.cicpMatrix = std::uint16_t(data[4] << 8 | data[5]);
    } else {
        tag.iccProfile.assign(data, data + size);
    }
    const bool alpha = (variant & 8) != 0;

    ColourCache cache;
    if (tag.channels == ColourTag::Channels::Cmyk) {
        if (const auto rows = cmykRowsFor(tag, cache)) {
            std::vector<std::uint8_t> cmyk(4 * 64), bgr(3 * 64);
            std::copy_n(data, std::min(size, cmyk.size()), cmyk.begin());
            rows->convert(cmyk.data(), bgr.data(), 64);
        }
    }
    // Twice: the second time from the cache.
    convertOnce(tag, alpha, cache);
    convertOnce(tag, alpha, cache);
    return 0;
}
