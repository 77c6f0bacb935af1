// PNG files through libpng 1.6, read from the file's buffer. Every sequence
// of library calls runs inside pngGuarded (PngLibrary.h) and holds no C++
// object with a destructor (no Result either); decodePng, which owns the
// reader and the picture, sets no jump target itself.

#include "picture/Result.h"
#include "picture/colour/ColourConversion.h"
#include "picture/formats/PixelStore.h"
#include "picture/formats/Png.h"
#include "picture/formats/PngLibrary.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vardolin::picture {
namespace {

// libpng refuses larger ancillary chunks than this where it treats the limit
// as an error; the text chunks, where it only warns, are skipped. It also
// caps an ICC profile's inflated size: libpng reads the length the profile
// declares before inflating it and refuses one over the cap, so a small
// compressed profile cannot inflate into gigabytes.
constexpr png_alloc_size_t maxChunkBytes = 8u << 20;

// Bytes of image data read at a time.
constexpr std::size_t imageDataPiece = 512;

struct PngSource {
    ByteSpan bytes;
    std::size_t position = 0;
};

struct PngReader {
    PngComplaints complaints;
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
    bool interlaced = false;
    bool transparency = false;
};

extern "C" {
static void readFromBuffer(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (!source->bytes.has(source->position, length))
        png_error(png, "truncated PNG data");
    std::memcpy(out, source->bytes.data + source->position, length);
    source->position += length;
}
}

void readPngHeader(PngReader& reader, const LoadOptions& options, PngHeader* header)
{
    const auto limit = png_uint_32(std::min<std::int64_t>(options.limits.maxSide, PNG_USER_WIDTH_MAX));
    png_set_user_limits(reader.png, limit, limit);
    png_set_chunk_malloc_max(reader.png, maxChunkBytes);
    // A wrong checksum on the image data is told, not fatal: the rows are
    // read as the file holds them, and the picture is noted as damaged.
    png_set_crc_action(reader.png, PNG_CRC_WARN_USE, PNG_CRC_DEFAULT);
    // The image data is taken in small pieces, so that a file cut short
    // still gives every row its bytes hold (a read that would run past the
    // end fails whole).
    png_set_compression_buffer_size(reader.png, imageDataPiece);
    // libpng only warns about an oversized chunk and then allocates its whole
    // declared length; these chunks are never used here, so they are skipped
    // unread and a 46-byte file cannot ask for gigabytes through them.
    static constexpr png_byte unusedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0eXIf";
    png_set_keep_unknown_chunks(reader.png, PNG_HANDLE_CHUNK_NEVER, unusedChunks, 5);
    // libpng 1.6.39 does not know the code points chunk; kept as an unknown
    // one, it comes back whole from png_get_unknown_chunks.
    static constexpr png_byte codePointsChunk[] = "cICP";
    png_set_keep_unknown_chunks(reader.png, PNG_HANDLE_CHUNK_ALWAYS, codePointsChunk, 1);
    png_set_read_fn(reader.png, &reader.source, readFromBuffer);
    png_read_info(reader.png, reader.info);
    int interlace = PNG_INTERLACE_NONE;
    png_get_IHDR(reader.png, reader.info, &header->width, &header->height, &header->bitDepth, &header->colorType,
                 &interlace, nullptr, nullptr);
    header->interlaced = interlace != PNG_INTERLACE_NONE;
    header->transparency = png_get_valid(reader.png, reader.info, PNG_INFO_tRNS) != 0;
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
void setTransforms(PngReader& reader, const PngHeader& header, int* channels, int* passes)
{
    png_structp png = reader.png;
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
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, reader.info);
    *channels = png_get_channels(png, reader.info);
}

// 16-bit samples as the file has them (gray or red-green-blue, with alpha
// when it has any), in the machine's byte order, for a conversion of their
// colours before they are reduced to 8 bits.
void setWideTransforms(PngReader& reader, const PngHeader& header, int* channels)
{
    png_structp png = reader.png;
    if (header.transparency)
        png_set_tRNS_to_alpha(png);
    if constexpr (std::endian::native == std::endian::little)
        png_set_swap(png);
    png_read_update_info(png, reader.info);
    *channels = png_get_channels(png, reader.info);
}

// Warnings about the colour chunks say what libpng did with them; the others
// say the file is damaged.
bool isColourChunkWarning(std::string_view warning)
{
    for (const std::string_view chunk : {"iCCP", "sRGB", "gAMA", "cHRM"})
        if (warning.starts_with(chunk))
            return true;
    return false;
}

// The first of libpng's warnings about a chunk, as a note that it was not
// used; false when there is none.
bool noteIgnoredChunk(const PngComplaints& complaints, const char* chunk, Notes& notes)
{
    for (int i = 0; i < complaints.keptWarnings; ++i)
        if (std::strncmp(complaints.warnings[i], chunk, 4) == 0) {
            notes.push_back({Note::Kind::ColourIgnored, std::string("PNG ") + complaints.warnings[i]});
            return true;
        }
    return false;
}

// A cICP chunk names code points as HEIF's nclx box does; PNG's pixels are
// RGB in full range, anything else is a chunk this reader cannot follow.
// True when the tag took them.
bool readCodePoints(const PngReader& reader, ColourTag& tag, Notes& notes)
{
    png_unknown_chunkp chunks = nullptr;
    const int count = png_get_unknown_chunks(reader.png, reader.info, &chunks);
    for (int i = 0; i < count; ++i) {
        const png_unknown_chunk& chunk = chunks[i];
        if (std::memcmp(chunk.name, "cICP", 4) != 0)
            continue;
        if (chunk.size != 4 || chunk.data == nullptr) {
            notes.push_back({Note::Kind::ColourIgnored, "PNG cICP chunk of " + std::to_string(chunk.size) + " bytes"});
            return false;
        }
        const png_byte* points = chunk.data;
        if (points[2] != 0 || points[3] != 1) {
            notes.push_back({Note::Kind::ColourIgnored, "PNG cICP chunk for matrix coefficients "
                                                            + std::to_string(points[2]) + " in "
                                                            + (points[3] == 1 ? "full" : "narrow") + " range"});
            return false;
        }
        tag.cicpPrimaries = points[0];
        tag.cicpTransfer = points[1];
        tag.cicpMatrix = points[2];
        return tag.hasCicp();
    }
    return false;
}

// What the file says about its colours, in the order the PNG standard
// ranks its chunks: cICP, iCCP, sRGB, then cHRM and gAMA together. A chunk
// that cannot be used gives way to the next, with a note. libpng keeps an
// ICC profile only after checking it against the colour type (an RGB profile
// in a gray file is dropped). Only what png_read_info stored is read, so no
// jump target is needed.
ColourTag colourTagOf(const PngReader& reader, const PngHeader& header, Notes& notes)
{
    ColourTag tag;
    if (header.colorType == PNG_COLOR_TYPE_GRAY || header.colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        tag.channels = ColourTag::Channels::Gray;
    if (readCodePoints(reader, tag, notes))
        return tag;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 length = 0;
    if (png_get_iCCP(reader.png, reader.info, &name, &compression, &profile, &length) != 0 && profile) {
        tag.iccProfile.assign(profile, profile + length);
        return tag;
    }
    noteIgnoredChunk(reader.complaints, "iCCP", notes);
    // libpng also reports sRGB for an iCCP chunk it knows to be sRGB's, which
    // has been taken above.
    if (png_get_valid(reader.png, reader.info, PNG_INFO_sRGB) != 0)
        return tag;
    png_fixed_point gamma = 0;
    if (png_get_gAMA_fixed(reader.png, reader.info, &gamma) != 0 && gamma > 0)
        tag.gamma = std::uint32_t(gamma);
    else
        noteIgnoredChunk(reader.complaints, "gAMA", notes);
    png_fixed_point c[8] = {};
    if (png_get_cHRM_fixed(reader.png, reader.info, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7]) != 0
        && c[1] > 0 && std::all_of(c, c + 8, [](png_fixed_point value) { return value >= 0; }))
        std::transform(c, c + 8, tag.chromaticities.begin(),
                       [](png_fixed_point value) { return std::uint32_t(value); });
    else
        noteIgnoredChunk(reader.complaints, "cHRM", notes);
    return tag;
}

// How far the rows got: plain data, so a jump may cross it, and volatile, so
// each row's count is in memory when the library jumps back.
struct RowsRead {
    volatile int passes = 0;         // passes read whole
    volatile png_uint_32 inPass = 0; // rows read of the pass after them
};

// The rows, pass after pass, bottom-up in the store. The passes of an
// interlaced file are drawn as rectangles (each pixel fills the block later
// passes refine): the same picture once complete, and a whole, coarser one
// when the file ends early.
void readRows(PngReader& reader, png_bytep* rows, png_uint_32 height, int passes, RowsRead* read)
{
    const bool interlaced = passes > 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(reader.png, interlaced ? nullptr : rows[y], interlaced ? rows[y] : nullptr);
            read->inPass = y + 1;
        }
        read->passes = pass + 1;
        read->inPass = 0;
    }
}

void noteDamage(const PngComplaints& complaints, Notes& notes)
{
    for (int i = 0; i < complaints.keptWarnings; ++i)
        if (!isColourChunkWarning(complaints.warnings[i]))
            notes.push_back({Note::Kind::Damaged, std::string("PNG: ") + complaints.warnings[i]});
}

Failure failPng(const PngReader& reader)
{
    const char* message = reader.complaints.error[0] ? reader.complaints.error : "cannot set up the PNG reader";
    return fail(std::string("PNG error: ") + message);
}

// A 16-bit picture whose colours are converted row by row as the rows are
// read, before any sample loses its low bits. Rows come one at a time, so
// only pictures stored without interlacing come this way.
Result<Decoded> decodeWide(PngReader& reader, const PngHeader& header, const WideRows& wide, Decoded decoded)
{
    int channels = 0;
    if (!pngGuarded(reader.png, [&] { setWideTransforms(reader, header, &channels); }))
        return failPng(reader);
    if (channels < 1 || channels > 4)
        return fail("PNG layout this program cannot read");
    Picture& picture = decoded.picture;
    allocateStore(picture, std::int32_t(header.width), std::int32_t(header.height), channels % 2 == 0 ? 32 : 24);
    picture.sourceDepth = std::uint8_t(sourceDepthOf(header));
    picture.colour = {};
    decoded.notes.push_back(*wide.converted);
    std::vector<std::uint16_t> samples(std::size_t(header.width) * std::size_t(channels));
    const int pixelBytes = picture.depth / 8;
    for (std::int32_t top = 0; top < picture.height; ++top) {
        if (!pngGuarded(reader.png,
                        [&] { png_read_row(reader.png, reinterpret_cast<png_bytep>(samples.data()), nullptr); }))
            return failPng(reader);
        wide.convert(samples.data(), channels, picture.row(picture.height - 1 - top), header.width, pixelBytes);
    }
    noteDamage(reader.complaints, decoded.notes);
    return decoded;
}

} // namespace

bool probePng(ByteSpan bytes)
{
    return bytes.size >= 8 && png_sig_cmp(bytes.data, 0, 8) == 0;
}

Result<Decoded> decodePng(ByteSpan bytes, const LoadOptions& options)
{
    PngReader reader;
    reader.source.bytes = bytes;
    reader.png = createPngReader(reader.complaints);
    reader.info = reader.png ? png_create_info_struct(reader.png) : nullptr;
    if (!reader.info)
        return failPng(reader);
    PngHeader header;
    if (!pngGuarded(reader.png, [&] { readPngHeader(reader, options, &header); }))
        return failPng(reader);
    VARDOLIN_TRY(options.limits.check(header.width, header.height));
    Decoded decoded;
    Picture& picture = decoded.picture;
    picture.colour = colourTagOf(reader, header, decoded.notes);
    std::optional<ColourCache> ownCache;
    if (header.bitDepth == 16 && !header.interlaced)
        if (const auto wide =
                wideRowsFor(picture.colour, options.colourCache ? *options.colourCache : ownCache.emplace()))
            return decodeWide(reader, header, *wide, std::move(decoded));
    int channels = 0;
    int passes = 1;
    if (!pngGuarded(reader.png, [&] { setTransforms(reader, header, &channels, &passes); }))
        return failPng(reader);
    if (channels != 3 && channels != 4)
        return fail("PNG layout this program cannot read");

    allocateStore(picture, std::int32_t(header.width), std::int32_t(header.height), 8 * channels);
    picture.sourceDepth = std::uint8_t(sourceDepthOf(header));
    std::vector<png_bytep> rows(header.height);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = picture.row(picture.height - 1 - std::int32_t(i));
    // libpng writes every pass of an interlaced file into the same rows, so
    // the rows can be the store's own, bottom-up.
    RowsRead read;
    if (!pngGuarded(reader.png, [&] { readRows(reader, rows.data(), header.height, passes, &read); })) {
        // Data cut short or corrupt: the rows read so far are the picture's,
        // the rest is painted grey and the picture noted as damaged. A file
        // that gave not one row has nothing to show.
        if (read.passes == 0 && read.inPass == 0)
            return failPng(reader);
        if (read.passes == 0)
            paintMissingRows(picture, std::int32_t(read.inPass));
        decoded.notes.push_back({Note::Kind::Damaged, std::string("PNG: ") + reader.complaints.error});
    }
    noteDamage(reader.complaints, decoded.notes);
    return decoded;
}

} // namespace vardolin::picture
