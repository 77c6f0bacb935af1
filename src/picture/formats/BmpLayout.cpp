#include "picture/formats/BmpLayout.h"

#include <algorithm>
#include <bit>
#include <string>

namespace vardolin::picture {
namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12;        // the oldest header: 16-bit sizes, 3-byte colours
constexpr std::uint32_t shortestOs2HeaderSize = 16; // 32-bit sizes and the bit count, nothing more

struct InfoHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

// The cursor fails for good at the first short read or skip, so checking the
// last read covers every one before it.
Result<InfoHeader> readInfoHeader(ByteCursor& cursor)
{
    InfoHeader header;
    const auto size = cursor.u32();
    if (!size)
        return fail("truncated BMP header");
    header.size = *size;
    if (header.size == coreHeaderSize) {
        const auto width = cursor.u16();
        const auto height = cursor.u16();
        cursor.skip(2);
        const auto bitCount = cursor.u16();
        if (!bitCount)
            return fail("truncated BMP header");
        header.width = *width;
        header.height = *height;
        header.bitCount = *bitCount;
        return header;
    }
    if (header.size < shortestOs2HeaderSize || header.size > 4096)
        return fail("unsupported BMP header size " + std::to_string(header.size));
    const auto width = cursor.i32();
    const auto height = cursor.i32();
    cursor.skip(2);
    const auto bitCount = cursor.u16();
    if (!bitCount)
        return fail("truncated BMP header");
    header.width = *width;
    header.height = *height;
    header.bitCount = *bitCount;
    // An OS/2 header may end after any field from here on; the fields it
    // leaves out are zero.
    if (header.size >= 20) {
        const auto compression = cursor.u32();
        if (!compression)
            return fail("truncated BMP header");
        header.compression = *compression;
    }
    if (header.size >= 36) {
        cursor.skip(12); // image size, resolutions
        const auto colorsUsed = cursor.u32();
        if (!colorsUsed)
            return fail("truncated BMP header");
        header.colorsUsed = *colorsUsed;
    }
    // OS/2 headers (shorter than 40 bytes, or 64) give compressions 3 and 4
    // other meanings.
    const bool os2 = header.size < 40 || header.size == 64;
    if (os2 && header.compression >= 3)
        return fail("unsupported BMP compression " + std::to_string(header.compression));
    return header;
}

Result<BitField> makeBitField(std::uint32_t mask)
{
    BitField field;
    field.mask = mask;
    if (mask == 0)
        return field;
    field.shift = std::countr_zero(mask);
    const std::uint32_t bits = mask >> field.shift;
    if ((bits & (bits + 1)) != 0)
        return fail("BMP bit-field mask is not contiguous");
    field.bits = std::popcount(bits);
    return field;
}

Result<void> readMasks(ByteSpan bytes, const InfoHeader& header, BmpLayout& layout)
{
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F}; // 5-5-5, the default of 16-bit files
    if (header.bitCount == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }
    const bool fromFile =
        layout.compression == BmpCompression::BitFields || layout.compression == BmpCompression::AlphaBitFields;
    if (fromFile && header.bitCount != 16 && header.bitCount != 32)
        return fail("BMP bit fields with " + std::to_string(header.bitCount) + " bits per pixel");
    // A 16-bit bit-field file without usable masks is 5-6-5. Some writers mark a
    // 40-byte header as bit fields without leaving room for the masks.
    const bool masksMissing = header.size == 40 && layout.pixelOffset < fileHeaderSize + 40 + 12;
    if (fromFile && header.bitCount == 16) {
        masks[0] = 0xF800;
        masks[1] = 0x07E0;
    }
    if (fromFile && !masksMissing) {
        // Masks sit in the header's extended part or, after a 40-byte header, right behind it.
        ByteCursor cursor(bytes);
        cursor.seek(fileHeaderSize + 40);
        std::uint32_t read[3] = {};
        for (std::uint32_t& mask : read) {
            const auto value = cursor.u32();
            if (!value)
                return fail("truncated BMP bit-field masks");
            mask = *value;
        }
        // All-zero masks would paint the picture black: keep the defaults then.
        if (read[0] | read[1] | read[2])
            std::copy(read, read + 3, masks);
    }
    BitField* fields[3] = {&layout.red, &layout.green, &layout.blue};
    for (int i = 0; i < 3; ++i) {
        VARDOLIN_TRY_ASSIGN(*fields[i], makeBitField(masks[i]));
    }
    return {};
}

Result<void> readPalette(ByteSpan bytes, const InfoHeader& header, BmpLayout& layout)
{
    const int maxEntries = 1 << header.bitCount;
    std::size_t entries =
        header.colorsUsed == 0 ? std::size_t(maxEntries) : std::min<std::size_t>(header.colorsUsed, maxEntries);
    const std::size_t entrySize = header.size == coreHeaderSize ? 3 : 4;
    const std::size_t start = fileHeaderSize + header.size;
    // The table ends where the file or the pixel data begins, whichever is first.
    std::size_t end = bytes.size;
    if (layout.pixelOffset > start && layout.pixelOffset < end)
        end = layout.pixelOffset;
    entries = start < end ? std::min(entries, (end - start) / entrySize) : 0;
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint8_t* entry = bytes.data + start + i * entrySize;
        layout.palette[i] = {entry[0], entry[1], entry[2]};
    }
    layout.paletteSize = int(entries);
    if (layout.paletteSize == 0) {
        if (header.bitCount != 1)
            return fail("BMP colour table missing");
        // A monochrome file without a table: black and white.
        layout.palette[1] = {255, 255, 255};
        layout.paletteSize = 2;
    }
    return {};
}

Result<void> checkKind(const InfoHeader& header, const BmpLayout& layout)
{
    switch (header.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return fail("unsupported BMP bit count " + std::to_string(header.bitCount));
    }
    switch (layout.compression) {
    case BmpCompression::None:
    case BmpCompression::BitFields:
    case BmpCompression::AlphaBitFields: return {};
    case BmpCompression::Rle8:
    case BmpCompression::Rle4:
        if (header.bitCount != (layout.compression == BmpCompression::Rle8 ? 8 : 4))
            return fail("BMP run-length data with wrong bit count");
        return {};
    }
    return fail("unsupported BMP compression " + std::to_string(header.compression));
}

} // namespace

Result<BmpLayout> readBmpLayout(ByteSpan bytes)
{
    ByteCursor cursor(bytes);
    cursor.skip(10);
    const auto pixelOffset = cursor.u32();
    if (!pixelOffset)
        return fail("truncated BMP header");
    VARDOLIN_TRY_ASSIGN(const InfoHeader header, readInfoHeader(cursor));

    BmpLayout layout;
    layout.pixelOffset = *pixelOffset;
    layout.bitCount = header.bitCount;
    layout.compression = BmpCompression(header.compression);
    VARDOLIN_TRY(checkKind(header, layout));
    const bool runLength = layout.compression == BmpCompression::Rle8 || layout.compression == BmpCompression::Rle4;
    layout.topDown = header.height < 0;
    if (layout.topDown && runLength)
        return fail("top-down BMP with run-length data");
    const std::int64_t height = layout.topDown ? -header.height : header.height;
    if (header.width <= 0 || height <= 0)
        return fail("BMP without pixels: " + std::to_string(header.width) + " x " + std::to_string(height));
    // Sizes are checked against the budget by the caller; 32 bits hold them here.
    layout.width = std::int32_t(header.width);
    layout.height = height > INT32_MAX ? INT32_MAX : std::int32_t(height);
    if (layout.pixelOffset >= bytes.size)
        return fail("BMP pixel data offset past the end of the file");

    VARDOLIN_TRY(header.bitCount <= 8 ? readPalette(bytes, header, layout) : readMasks(bytes, header, layout));
    return layout;
}

} // namespace vardolin::picture
