#include "picture/formats/IconDirectory.h"

#include <optional>
#include <string>

namespace vardolin::picture {
namespace {

constexpr std::uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct DirectoryEntry {
    int width = 0; // 0 in the file means 256
    int height = 0;
    int bitCount = 0;
    std::uint32_t imageSize = 0;
    std::uint32_t imageOffset = 0;
};

Result<DirectoryEntry> readEntry(ByteCursor& cursor)
{
    const auto width = cursor.u8();
    const auto height = cursor.u8();
    cursor.skip(4); // colour count, reserved, planes
    const auto bitCount = cursor.u16();
    const auto imageSize = cursor.u32();
    const auto imageOffset = cursor.u32();
    if (!width || !height || !bitCount || !imageSize || !imageOffset)
        return fail("icon directory cut short");
    return DirectoryEntry{*width == 0 ? 256 : *width, *height == 0 ? 256 : *height, *bitCount, *imageSize,
                          *imageOffset};
}

// A PNG-compressed icon image becomes a 32-bit colour bitmap when shown.
Result<IconImage> describePngImage(ByteSpan image)
{
    ByteCursor cursor(image, ByteOrder::Big);
    cursor.skip(8 + 4 + 4); // signature, IHDR length and type
    const auto width = cursor.u32();
    const auto height = cursor.u32();
    if (!width || !height || *width == 0 || *height == 0 || *width > 65535 || *height > 65535)
        return fail("icon image with an unusable PNG header");
    return IconImage{std::int32_t(*width), std::int32_t(*height), 32};
}

// A device-independent bitmap holds the colour image and the AND mask below
// each other, so its header states twice the icon's height.
Result<IconImage> describeBitmapImage(ByteSpan image)
{
    ByteCursor cursor(image);
    const auto headerSize = cursor.u32();
    const auto width = cursor.i32();
    const auto height = cursor.i32();
    cursor.skip(2); // planes
    const auto bitCount = cursor.u16();
    if (!headerSize || *headerSize < 40 || !bitCount)
        return fail("icon image with an unusable bitmap header");
    switch (*bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return fail("icon image of " + std::to_string(*bitCount) + " bits per pixel");
    }
    if (*width <= 0 || *width > 65535 || *height < 2 || *height > 2 * 65535)
        return fail("icon image with an unusable size");
    return IconImage{*width, *height / 2, *bitCount};
}

} // namespace

bool looksLikeIconDirectory(ByteSpan bytes)
{
    ByteCursor cursor(bytes);
    const auto reserved = cursor.u16();
    const auto type = cursor.u16();
    return reserved && type && *reserved == 0 && *type == 1;
}

Result<IconImage> chooseIconImage(ByteSpan bytes)
{
    if (!looksLikeIconDirectory(bytes))
        return fail("not an icon directory");
    ByteCursor cursor(bytes);
    cursor.skip(4);
    const auto count = cursor.u16();
    if (!count || *count == 0)
        return fail("icon directory without images");

    std::optional<DirectoryEntry> chosen;
    for (int i = 0; i < *count; ++i) {
        VARDOLIN_TRY_ASSIGN(const DirectoryEntry entry, readEntry(cursor));
        if (!chosen) {
            chosen = entry;
            continue;
        }
        const bool sameSize = entry.width == chosen->width && entry.height == chosen->height;
        if (sameSize && entry.bitCount > chosen->bitCount)
            chosen = entry;
    }

    if (!bytes.has(chosen->imageOffset, chosen->imageSize))
        return fail("icon image outside the file");
    const ByteSpan image = bytes.sub(chosen->imageOffset, chosen->imageSize);
    if (image.startsWith(pngSignature, sizeof pngSignature))
        return describePngImage(image);
    return describeBitmapImage(image);
}

bool probeIcon(ByteSpan bytes)
{
    return chooseIconImage(bytes).ok();
}

Result<Decoded> decodeIcon(ByteSpan bytes, const LoadOptions& options)
{
    VARDOLIN_TRY_ASSIGN(const IconImage image, chooseIconImage(bytes));
    VARDOLIN_TRY(options.limits.check(image.width, image.height));
    Decoded decoded;
    Picture& picture = decoded.picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.depth = std::uint8_t(image.bitCount);
    picture.sourceDepth = std::uint8_t(image.bitCount);
    return decoded;
}

} // namespace vardolin::picture
