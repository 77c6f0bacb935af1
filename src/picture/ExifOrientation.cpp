#include "picture/ExifOrientation.h"

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

// Pixel (x, y) counted from the picture's top-left corner in a bottom-up store.
inline std::uint8_t* pixelAt(Picture& picture, std::int32_t x, std::int32_t y, int bytesPerPixel)
{
    return picture.row(picture.height - 1 - y) + std::size_t(x) * bytesPerPixel;
}

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

// Orientations 5-8: every upright pixel (x, y) comes from a stored pixel with
// the coordinates exchanged and possibly counted from the far side.
void transpose(Picture& picture, int orientation, int bytesPerPixel)
{
    Picture upright;
    upright.depth = picture.depth;
    upright.width = picture.height;
    upright.height = picture.width;
    upright.stride = strideFor(upright.width, picture.depth);
    upright.pixels.assign(std::size_t(upright.stride) * std::size_t(upright.height), 0);

    const std::int32_t lastX = picture.width - 1;
    const std::int32_t lastY = picture.height - 1;
    for (std::int32_t y = 0; y < upright.height; ++y) {
        std::uint8_t* out = pixelAt(upright, 0, y, bytesPerPixel);
        for (std::int32_t x = 0; x < upright.width; ++x, out += bytesPerPixel) {
            std::int32_t sx = y, sy = x;                                  // 5: transpose
            if (orientation == 6) { sx = y; sy = lastY - x; }             // turned right
            else if (orientation == 7) { sx = lastX - y; sy = lastY - x; } // transverse
            else if (orientation == 8) { sx = lastX - y; sy = x; }        // turned left
            std::memcpy(out, pixelAt(picture, sx, sy, bytesPerPixel), bytesPerPixel);
        }
    }
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
    case 3: mirrorRows(picture, bytesPerPixel); flipRows(picture); break;
    case 4: flipRows(picture); break;
    case 5: case 6: case 7: case 8: transpose(picture, orientation, bytesPerPixel); break;
    default: break;
    }
}

} // namespace vardolin::picture
