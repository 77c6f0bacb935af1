// BMP files: our own decoder over the checked layout. Every pixel row is read
// through checked offsets and every colour index through the table size.

#include "picture/formats/Bmp.h"
#include "picture/formats/BmpColour.h"
#include "picture/formats/BmpLayout.h"
#include "picture/formats/BmpRunLength.h"
#include "picture/formats/PixelStore.h"

#include <cstring>

namespace vardolin::picture {
namespace {

// Colour indices of 1, 2, 4 or 8 bits, most significant bits first.
bool convertIndexedRow(const BmpLayout& layout, const std::uint8_t* in, std::uint8_t* out)
{
    const int bits = layout.bitCount;
    const int perByte = 8 / bits;
    const unsigned indexMask = (1u << bits) - 1;
    for (std::int32_t x = 0; x < layout.width; ++x) {
        const int shift = 8 - bits * (x % perByte + 1);
        const unsigned index = (in[x / perByte] >> shift) & indexMask;
        if (index >= unsigned(layout.paletteSize))
            return false;
        std::memcpy(out + 3 * x, layout.palette[index].data(), 3);
    }
    return true;
}

void convertBitFieldRow(const BmpLayout& layout, const std::uint8_t* in, std::uint8_t* out)
{
    const int bytesPerPixel = layout.bitCount / 8;
    for (std::int32_t x = 0; x < layout.width; ++x, in += bytesPerPixel, out += 3) {
        std::uint32_t pixel = in[0] | std::uint32_t(in[1]) << 8;
        if (bytesPerPixel == 4)
            pixel |= std::uint32_t(in[2]) << 16 | std::uint32_t(in[3]) << 24;
        out[0] = layout.blue.extract(pixel);
        out[1] = layout.green.extract(pixel);
        out[2] = layout.red.extract(pixel);
    }
}

void copyFourByteRow(std::int32_t width, const std::uint8_t* in, std::uint8_t* out)
{
    for (std::int32_t x = 0; x < width; ++x, in += 4, out += 3) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
    }
}

bool isPlainBgrx(const BmpLayout& layout)
{
    return layout.red.mask == 0x00FF0000 && layout.green.mask == 0x0000FF00 && layout.blue.mask == 0x000000FF;
}

Result<void> decodeUncompressed(ByteSpan bytes, const BmpLayout& layout, Picture& picture)
{
    const std::uint64_t usedBytes = (std::uint64_t(layout.width) * layout.bitCount + 7) / 8;
    const std::uint64_t fileStride = (std::uint64_t(layout.width) * layout.bitCount + 31) / 32 * 4;
    // The last row may lack its padding; anything shorter is cut off.
    const std::uint64_t needed = fileStride * std::uint64_t(layout.height - 1) + usedBytes;
    if (needed > bytes.size - layout.pixelOffset)
        return fail("truncated BMP pixel data");

    const bool plainBgrx = layout.bitCount == 32 && isPlainBgrx(layout);
    for (std::int32_t fileRow = 0; fileRow < layout.height; ++fileRow) {
        const std::uint8_t* in = bytes.data + layout.pixelOffset + fileStride * std::uint64_t(fileRow);
        std::uint8_t* out = picture.row(layout.topDown ? layout.height - 1 - fileRow : fileRow);
        if (layout.bitCount <= 8) {
            if (!convertIndexedRow(layout, in, out))
                return fail("BMP colour index past the colour table");
        } else if (layout.bitCount == 24) {
            std::memcpy(out, in, std::size_t(usedBytes));
        } else if (plainBgrx) {
            copyFourByteRow(layout.width, in, out);
        } else {
            convertBitFieldRow(layout, in, out);
        }
    }
    return {};
}

} // namespace

bool probeBmp(ByteSpan bytes)
{
    ByteCursor cursor(bytes);
    const auto b = cursor.u8();
    const auto m = cursor.u8();
    cursor.skip(4); // file size, often wrong, never used
    const auto reserved1 = cursor.u16();
    const auto reserved2 = cursor.u16();
    return bytes.size >= 14 && *b == 'B' && *m == 'M' && *reserved1 == 0 && *reserved2 == 0;
}

Result<Decoded> decodeBmp(ByteSpan bytes, const LoadOptions& options)
{
    VARDOLIN_TRY_ASSIGN(const BmpLayout layout, readBmpLayout(bytes));
    VARDOLIN_TRY(options.limits.check(layout.width, layout.height));

    Decoded decoded;
    Picture& picture = decoded.picture;
    allocateStore(picture, layout.width, layout.height, 24);
    picture.sourceDepth = std::uint8_t(layout.bitCount);
    picture.colour = readBmpColour(bytes, decoded.notes);

    const bool runLength = layout.compression == BmpCompression::Rle8 || layout.compression == BmpCompression::Rle4;
    if (runLength) {
        const ByteSpan data = bytes.sub(layout.pixelOffset, bytes.size - layout.pixelOffset);
        VARDOLIN_TRY(decodeBmpRunLength(data, layout, picture));
    } else {
        VARDOLIN_TRY(decodeUncompressed(bytes, layout, picture));
    }
    return decoded;
}

} // namespace vardolin::picture
