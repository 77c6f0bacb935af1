// PNG files through libpng 1.6, read from the file's buffer. The functions
// that call the library set their own jump target and hold no C++ object with
// a destructor (no Result either); decodePng, which owns the reader and the
// picture, calls no setjmp itself.

#include "picture/Result.h"
#include "picture/formats/Decoders.h"
#include "picture/formats/PixelStore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <vector>

namespace vardolin::picture {
namespace {

// libpng refuses larger ancillary chunks than this where it treats the limit
// as an error; the text chunks, where it only warns, are skipped. It also
// caps an ICC profile's inflated size: libpng reads the length the profile
// declares before inflating it and refuses one over the cap, so a small
// compressed profile cannot inflate into gigabytes.
constexpr png_alloc_size_t maxChunkBytes = 8u << 20;

struct PngSource {
    ByteSpan bytes;
    std::size_t position = 0;
    char message[200] = {};
    char profileWarning[200] = {}; // why libpng dropped the iCCP chunk
};

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngSource source;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct PngHeader {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    bool transparency = false;
};

extern "C" {
static void failJump(png_structp png, png_const_charp message)
{
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", message);
    png_longjmp(png, 1);
}

// Warnings are ignored, except the one that says the profile was dropped.
static void noteProfileWarning(png_structp png, png_const_charp message)
{
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    if (std::strncmp(message, "iCCP", 4) == 0 && source->profileWarning[0] == 0)
        std::snprintf(source->profileWarning, sizeof source->profileWarning, "%s", message);
}

static void readFromBuffer(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (!source->bytes.has(source->position, length))
        png_error(png, "truncated PNG data");
    std::memcpy(out, source->bytes.data + source->position, length);
    source->position += length;
}
}

bool readPngHeader(PngReader& reader, const LoadOptions& options, PngHeader* header)
{
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader.source, failJump, noteProfileWarning);
    if (!reader.png)
        return false;
    reader.info = png_create_info_struct(reader.png);
    if (!reader.info)
        return false;
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    const auto limit = png_uint_32(std::min<std::int64_t>(options.limits.maxSide, PNG_USER_WIDTH_MAX));
    png_set_user_limits(reader.png, limit, limit);
    png_set_chunk_malloc_max(reader.png, maxChunkBytes);
    // libpng only warns about an oversized chunk and then allocates its whole
    // declared length; these chunks are never used here, so they are skipped
    // unread and a 46-byte file cannot ask for gigabytes through them.
    static constexpr png_byte unusedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(reader.png, PNG_HANDLE_CHUNK_NEVER, unusedChunks, 5);
    png_set_read_fn(reader.png, &reader.source, readFromBuffer);
    png_read_info(reader.png, reader.info);
    png_get_IHDR(reader.png, reader.info, &header->width, &header->height, &header->bitDepth, &header->colorType,
                 nullptr, nullptr, nullptr);
    header->transparency = png_get_valid(reader.png, reader.info, PNG_INFO_tRNS) != 0;
    return true;
}

// Source depth as the header reads once a tRNS chunk has become an alpha
// channel: RGB 24, RGBA 32, otherwise the bit depth (so a palette with tRNS,
// expanded to RGBA, reports 32, and a low-depth gray with tRNS 8).
int sourceDepthOf(const PngHeader& header)
{
    switch (header.colorType) {
    case PNG_COLOR_TYPE_RGB: return header.transparency ? 32 : 24;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 32;
    case PNG_COLOR_TYPE_PALETTE: return header.transparency ? 32 : header.bitDepth;
    case PNG_COLOR_TYPE_GRAY: return header.transparency ? std::max(8, header.bitDepth) : header.bitDepth;
    default: return header.bitDepth;
    }
}

// Every file becomes 8-bit blue-green-red, with alpha when it has any.
bool setTransforms(PngReader& reader, const PngHeader& header, int* channels)
{
    png_structp png = reader.png;
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (header.transparency)
        png_set_tRNS_to_alpha(png);
    if (header.colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (header.bitDepth < 8 && header.colorType == PNG_COLOR_TYPE_GRAY)
        png_set_expand_gray_1_2_4_to_8(png);
    if (header.colorType == PNG_COLOR_TYPE_GRAY || header.colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (header.bitDepth == 16)
        png_set_scale_16(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, reader.info);
    *channels = png_get_channels(png, reader.info);
    return true;
}

// libpng writes every pass of an interlaced file into the same rows, so the
// rows can be the store's own, bottom-up.
bool readRows(PngReader& reader, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_read_image(reader.png, rows);
    return true;
}

// The profile as libpng checked it against the colour type (an RGB profile
// in a gray file is dropped), or why it was dropped. png_get_iCCP only reads
// what png_read_info stored, so no jump target is needed.
ColourTag colourTagOf(const PngReader& reader, const PngHeader& header)
{
    ColourTag tag;
    if (header.colorType == PNG_COLOR_TYPE_GRAY || header.colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        tag.channels = ColourTag::Channels::Gray;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(reader.png, reader.info, &name, &compression, &profile, &length) != 0 && profile)
        tag.iccProfile.assign(profile, profile + length);
    else if (reader.source.profileWarning[0] != 0)
        tag.unreadable = std::string("PNG ") + reader.source.profileWarning;
    return tag;
}

Failure failPng(const PngReader& reader)
{
    const char* message = reader.source.message[0] ? reader.source.message : "cannot set up the PNG reader";
    return fail(std::string("PNG error: ") + message);
}

} // namespace

bool probePng(ByteSpan bytes)
{
    return bytes.size >= 8 && png_sig_cmp(bytes.data, 0, 8) == 0;
}

Result<Picture> decodePng(ByteSpan bytes, const LoadOptions& options)
{
    PngReader reader;
    reader.source.bytes = bytes;
    PngHeader header;
    if (!readPngHeader(reader, options, &header))
        return failPng(reader);
    VARDOLIN_TRY(options.limits.check(header.width, header.height));
    int channels = 0;
    if (!setTransforms(reader, header, &channels))
        return failPng(reader);
    if (channels != 3 && channels != 4)
        return fail("PNG layout this program cannot read");

    Picture picture;
    allocateStore(picture, std::int32_t(header.width), std::int32_t(header.height), 8 * channels);
    picture.sourceDepth = std::uint8_t(sourceDepthOf(header));
    picture.colour = colourTagOf(reader, header);
    std::vector<png_bytep> rows(header.height);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = picture.row(picture.height - 1 - std::int32_t(i));
    if (!readRows(reader, rows.data()))
        return failPng(reader);
    return picture;
}

} // namespace vardolin::picture
