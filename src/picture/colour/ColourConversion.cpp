// toSrgb: the cache entry for the picture's tag, applied to its rows in place.

#include "picture/colour/ColourConversion.h"

#include "picture/colour/ColourEntries.h"

#include <cstring>

namespace vardolin::picture {
namespace {

void transformRows(cmsHTRANSFORM transform, Picture& picture)
{
    for (std::int32_t y = 0; y < picture.height; ++y)
        cmsDoTransform(transform, picture.row(y), picture.row(y), cmsUInt32Number(picture.width));
}

// Decoding made the gray pixels blue = green = red, and scaling keeps them
// so: each is one level through the table.
void grayRows(const ColourEntry& entry, Picture& picture)
{
    const int bytesPerPixel = picture.depth / 8;
    for (std::int32_t y = 0; y < picture.height; ++y) {
        std::uint8_t* pixel = picture.row(y);
        for (std::int32_t x = 0; x < picture.width; ++x, pixel += bytesPerPixel)
            std::memcpy(pixel, entry.grayToBgr[pixel[1]].data(), 3);
    }
}

ColourOutcome ignored(std::string why)
{
    return {false, std::move(why)};
}

} // namespace

ColourOutcome toSrgb(Picture& picture, ColourCache& cache)
{
    const ColourTag tag = std::move(picture.colour);
    picture.colour = {};
    if (!tag.unreadable.empty())
        return ignored(tag.unreadable);
    if (tag.empty() || !picture.hasStore())
        return {};

    ColourCache::Impl& impl = cache.impl();
    ColourEntry& entry = impl.entryFor(tag);
    switch (entry.kind) {
    case ColourEntry::Kind::Ignored: return ignored(entry.ignoredBecause);
    case ColourEntry::Kind::Srgb: return {};
    case ColourEntry::Kind::Cmyk: return ignored("the CMYK profile was not applied to this file's pixels");
    case ColourEntry::Kind::Gray: grayRows(entry, picture); return {true, {}};
    case ColourEntry::Kind::Matrix:
        for (std::int32_t y = 0; y < picture.height; ++y)
            entry.matrixShaper->convertRow(picture.row(y), picture.width, picture.depth / 8);
        return {true, {}};
    case ColourEntry::Kind::Rgb: break;
    }
    cmsHTRANSFORM transform = picture.depth == 32 ? impl.bgraTransform(entry) : entry.bgr.get();
    if (!transform)
        return ignored("the profile cannot be converted to sRGB with alpha: " + impl.lastError);
    transformRows(transform, picture);
    return {true, {}};
}

std::optional<CmykRows> cmykRowsFor(const ColourTag& tag, ColourCache& cache)
{
    if (tag.iccProfile.empty() || tag.channels != ColourTag::Channels::Cmyk)
        return std::nullopt;
    const ColourEntry& entry = cache.impl().entryFor(tag);
    if (entry.kind != ColourEntry::Kind::Cmyk)
        return std::nullopt;
    return CmykRows{entry.cmykToBgr.get()};
}

void CmykRows::convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width) const
{
    cmsDoTransform(transform, cmyk, bgr, width);
}

} // namespace vardolin::picture
