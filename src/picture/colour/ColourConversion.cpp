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

// The pixels through the entry; why not, when they cannot be.
Result<void> convert(ColourCache::Impl& impl, ColourEntry& entry, Picture& picture)
{
    switch (entry.kind) {
    case ColourEntry::Kind::Ignored: return fail(entry.ignoredBecause);
    case ColourEntry::Kind::Srgb: return {};
    case ColourEntry::Kind::Cmyk: return fail("the CMYK profile was not applied to this file's pixels");
    case ColourEntry::Kind::Gray: grayRows(entry, picture); return {};
    case ColourEntry::Kind::Matrix:
        for (std::int32_t y = 0; y < picture.height; ++y)
            entry.matrixShaper->convertRow(picture.row(y), picture.width, picture.depth / 8);
        return {};
    case ColourEntry::Kind::Rgb: break;
    }
    if (picture.depth == 24) {
        transformRows(entry.bgr.get(), picture);
        return {};
    }
    VARDOLIN_TRY_ASSIGN(const cmsHTRANSFORM withAlpha, impl.bgraTransform(entry));
    transformRows(withAlpha, picture);
    return {};
}

} // namespace

void toSrgb(Picture& picture, ColourCache& cache, Notes& notes)
{
    const ColourTag tag = std::move(picture.colour);
    picture.colour = {};
    if (tag.empty() || !picture.hasStore())
        return;
    ColourCache::Impl& impl = cache.impl();
    ColourEntry& entry = impl.entryFor(tag);
    if (const auto converted = convert(impl, entry, picture); !converted)
        notes.push_back({Note::Kind::ColourIgnored, converted.error()});
    else if (entry.kind != ColourEntry::Kind::Srgb)
        notes.push_back(entry.converted);
}

Result<CmykRows> cmykRowsFor(const ColourTag& tag, ColourCache& cache)
{
    if (tag.iccProfile.empty() || tag.channels != ColourTag::Channels::Cmyk)
        return fail("no profile for CMYK pixels");
    const ColourEntry& entry = cache.impl().entryFor(tag);
    if (entry.kind == ColourEntry::Kind::Ignored)
        return fail(entry.ignoredBecause);
    if (entry.kind != ColourEntry::Kind::Cmyk)
        return fail("not a CMYK profile");
    return CmykRows{&*entry.cmyk, &entry.converted};
}

void CmykRows::convert(const std::uint8_t* cmyk, std::uint8_t* bgr, std::uint32_t width) const
{
    table->convertRow(cmyk, bgr, width);
}

std::optional<WideRows> wideRowsFor(const ColourTag& tag, ColourCache& cache)
{
    if (tag.empty() || tag.channels == ColourTag::Channels::Cmyk)
        return std::nullopt;
    ColourCache::Impl& impl = cache.impl();
    ColourEntry& entry = impl.entryFor(tag);
    if (entry.kind == ColourEntry::Kind::Matrix)
        return WideRows{&*entry.matrixShaper, nullptr, &entry.converted};
    if (entry.kind == ColourEntry::Kind::Gray)
        if (const auto* levels = impl.gray16Levels(entry))
            return WideRows{nullptr, levels, &entry.converted};
    return std::nullopt;
}

void WideRows::convert(const std::uint16_t* samples, int channels, std::uint8_t* out, std::uint32_t width,
                       int outBytesPerPixel) const
{
    const bool grayPixels = channels <= 2;
    if (grayPixels) {
        for (std::uint32_t x = 0; x < width; ++x)
            std::memcpy(out + std::size_t(x) * std::size_t(outBytesPerPixel),
                        gray[samples[std::size_t(x) * std::size_t(channels)]].data(), 3);
    } else {
        shaper->convertRow16(samples, channels, out, std::int32_t(width), outBytesPerPixel);
    }
    if (outBytesPerPixel != 4)
        return;
    const std::size_t step = std::size_t(channels);
    for (std::uint32_t x = 0; x < width; ++x)
        out[4 * std::size_t(x) + 3] =
            channels % 2 == 0 ? std::uint8_t((samples[std::size_t(x) * step + step - 1] + 128u) / 257u) : 255;
}

} // namespace vardolin::picture
