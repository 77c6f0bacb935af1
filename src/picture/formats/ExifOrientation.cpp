#include "picture/formats/ExifOrientation.h"

#include <algorithm>
#include <cstring>

namespace vardolin::picture {
namespace {

constexpr std::uint16_t orientationTag = 0x0112;
constexpr std::uint16_t typeShort = 3;

} // namespace

int readExifOrientation(ByteSpan payload)
{
    constexpr char exifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (!payload.startsWith(exifHeader, sizeof exifHeader))
        return 1;
    // Offsets inside the block count from the start of the TIFF structure.
    const ByteSpan tiff = payload.sub(6, payload.size - 6);
    ByteCursor cursor(tiff);
    if (tiff.startsWith("MM", 2))
        cursor.setOrder(ByteOrder::Big);
    else if (!tiff.startsWith("II", 2))
        return 1;
    cursor.skip(2);
    const auto magic = cursor.u16();
    const auto firstDirectory = cursor.u32();
    if (!firstDirectory || *magic != 42 || !cursor.seek(*firstDirectory))
        return 1;
    const auto entries = cursor.u16();
    if (!entries)
        return 1;
    for (int i = 0; i < *entries; ++i) {
        const auto tag = cursor.u16();
        const auto type = cursor.u16();
        const auto count = cursor.u32();
        const auto value = cursor.u16();
        if (!cursor.skip(2))
            return 1;
        if (*tag == orientationTag)
            return *type == typeShort && *count == 1 && *value >= 1 && *value <= 8 ? int(*value) : 1;
    }
    return 1;
}

namespace {

void mirrorRows(Picture& picture, int bytesPerPixel)
{
    std::uint8_t swap[4];
    for (std::int32_t r = 0; r < picture.height; ++r) {
        std::uint8_t* left = picture.row(r);
        std::uint8_t* right = left + std::size_t(picture.width - 1) * bytesPerPixel;
        for (; left < right; left += bytesPerPixel, right -= bytesPerPixel) {
            std::memcpy(swap, left, bytesPerPixel);
            std::memcpy(left, right, bytesPerPixel);
            std::memcpy(right, swap, bytesPerPixel);
        }
    }
}

void flipRows(Picture& picture)
{
    for (std::int32_t top = 0, bottom = picture.height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(picture.row(top), picture.row(top) + picture.stride, picture.row(bottom));
}

// Orientations 5-8: upright pixel (x, y) comes from the stored pixel with the
// coordinates exchanged, possibly counted from the far side. Walking an
// upright row walks a stored column, so the copy goes in square tiles whose
// stored rows stay in the cache.
template <int bytesPerPixel> void transposeTiles(const Picture& stored, Picture& upright, int orientation)
{
    constexpr std::int32_t tile = 64;
    // Stored top-down coordinates of upright (0, 0) and their steps per upright x and y.
    const bool fromRight = orientation == 7 || orientation == 8;  // upright y runs right to left
    const bool fromBottom = orientation == 6 || orientation == 7; // upright x runs bottom to top
    const std::int32_t firstX = fromRight ? stored.width - 1 : 0;
    const std::int32_t firstY = fromBottom ? stored.height - 1 : 0;
    // In the bottom-up store a step down the picture is a step back in memory.
    const std::ptrdiff_t stepPerX = fromBottom ? std::ptrdiff_t(stored.stride) : -std::ptrdiff_t(stored.stride);
    const std::ptrdiff_t stepPerY = fromRight ? -bytesPerPixel : bytesPerPixel;
    const std::uint8_t* origin = stored.row(stored.height - 1 - firstY) + std::ptrdiff_t(firstX) * bytesPerPixel;

    for (std::int32_t y0 = 0; y0 < upright.height; y0 += tile) {
        const std::int32_t y1 = std::min(upright.height, y0 + tile);
        for (std::int32_t x0 = 0; x0 < upright.width; x0 += tile) {
            const std::int32_t x1 = std::min(upright.width, x0 + tile);
            for (std::int32_t y = y0; y < y1; ++y) {
                const std::uint8_t* in = origin + stepPerY * y + stepPerX * x0;
                std::uint8_t* out = upright.row(upright.height - 1 - y) + std::ptrdiff_t(x0) * bytesPerPixel;
                for (std::int32_t x = x0; x < x1; ++x, in += stepPerX, out += bytesPerPixel)
                    std::memcpy(out, in, bytesPerPixel);
            }
        }
    }
}

void transpose(Picture& picture, int orientation, int bytesPerPixel)
{
    Picture upright;
    upright.depth = picture.depth;
    upright.width = picture.height;
    upright.height = picture.width;
    upright.stride = strideFor(upright.width, picture.depth);
    upright.pixels.assign(std::size_t(upright.stride) * std::size_t(upright.height), 0);
    if (bytesPerPixel == 4)
        transposeTiles<4>(picture, upright, orientation);
    else
        transposeTiles<3>(picture, upright, orientation);
    picture.width = upright.width;
    picture.height = upright.height;
    picture.stride = upright.stride;
    picture.pixels = std::move(upright.pixels);
}

} // namespace

void applyOrientation(Picture& picture, int orientation)
{
    const int bytesPerPixel = picture.depth / 8;
    switch (orientation) {
    case 2: mirrorRows(picture, bytesPerPixel); break;
    case 3:
        mirrorRows(picture, bytesPerPixel);
        flipRows(picture);
        break;
    case 4: flipRows(picture); break;
    case 5:
    case 6:
    case 7:
    case 8: transpose(picture, orientation, bytesPerPixel); break;
    default: break;
    }
}

} // namespace vardolin::picture
