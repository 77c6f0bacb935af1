// JPEG files through libjpeg-turbo's libjpeg API. Each function that calls the
// library sets its own jump target and holds no C++ object with a destructor
// (no Result either), so a fatal library error can jump back over nothing but
// C frames. decodeJpeg, which owns the reader and the picture, calls no
// setjmp itself.

#include "picture/Decoders.h"
#include "picture/ExifOrientation.h"
#include "picture/JpegScale.h"
#include "picture/PixelStore.h"
#include "picture/Result.h"

#include <algorithm>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace vardolin::picture {
namespace {

// A progressive file can hold any number of scans; a few hundred is already
// far more than any encoder writes, so more is taken as a decoding bomb.
constexpr int maxScans = 500;

struct JpegErrors {
    jpeg_error_mgr manager{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
};

struct JpegReader {
    jpeg_decompress_struct info{};
    JpegErrors errors;
    ~JpegReader() { jpeg_destroy_decompress(&info); }
};

extern "C" {
static void failJump(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

static void stayQuiet(j_common_ptr, int) {}

static void limitScans(j_common_ptr info)
{
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > maxScans) {
        auto* errors = reinterpret_cast<JpegErrors*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "JPEG file with more than %d scans", maxScans);
        std::longjmp(errors->jump, 1);
    }
}
}

bool readHeader(JpegReader& reader, ByteSpan bytes)
{
    jpeg_decompress_struct& info = reader.info;
    info.err = jpeg_std_error(&reader.errors.manager);
    reader.errors.manager.error_exit = failJump;
    reader.errors.manager.emit_message = stayQuiet;
    reader.errors.progress.progress_monitor = limitScans;
    if (setjmp(reader.errors.jump))
        return false;
    jpeg_create_decompress(&info);
    info.progress = &reader.errors.progress;
    jpeg_mem_src(&info, bytes.data, static_cast<unsigned long>(bytes.size));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&info, TRUE);
    return true;
}

bool startDecompress(JpegReader& reader, int scaleNumerator)
{
    jpeg_decompress_struct& info = reader.info;
    if (setjmp(reader.errors.jump))
        return false;
    info.dct_method = JDCT_ISLOW;
    // Four-component files come out as (inverted) CMYK; everything else as
    // blue-green-red, the store's own order, so no pixel is touched twice.
    const bool fourComponents = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = fourComponents ? JCS_CMYK : JCS_EXT_BGR;
    info.scale_num = unsigned(scaleNumerator);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    return true;
}

// The stored values are inverted CMYK: each colour times black over 255.
void convertCmykRow(const std::uint8_t* in, std::uint8_t* out, std::uint32_t width)
{
    for (std::uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
        const unsigned k = in[3];
        out[0] = std::uint8_t(in[2] * k / 255);
        out[1] = std::uint8_t(in[1] * k / 255);
        out[2] = std::uint8_t(in[0] * k / 255);
    }
}

// Scanlines go top first into the bottom-up store, straight into their rows
// (through one row buffer for CMYK). A truncated file ends in what the library
// supplies for the missing part.
bool readScanlines(JpegReader& reader, Picture* picture, std::uint8_t* cmykRow)
{
    jpeg_decompress_struct& info = reader.info;
    if (setjmp(reader.errors.jump))
        return false;
    const std::int32_t height = picture->height;
    while (info.output_scanline < info.output_height) {
        const std::int32_t top = std::int32_t(info.output_scanline);
        if (cmykRow) {
            JSAMPROW row = cmykRow;
            if (jpeg_read_scanlines(&info, &row, 1) != 1)
                break;
            convertCmykRow(cmykRow, picture->row(height - 1 - top), info.output_width);
            continue;
        }
        JSAMPROW rows[16];
        const int count = std::min<int>(16, height - top);
        for (int i = 0; i < count; ++i)
            rows[i] = picture->row(height - 1 - top - i);
        if (jpeg_read_scanlines(&info, rows, JDIMENSION(count)) == 0)
            break;
    }
    jpeg_finish_decompress(&info);
    return true;
}

int orientationOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1)
            continue;
        const int orientation = readExifOrientation({marker->data, marker->data_length});
        if (orientation != 1)
            return orientation;
    }
    return 1;
}

Failure failJpeg(const JpegReader& reader)
{
    return fail(std::string("JPEG error: ") + reader.errors.message);
}

} // namespace

bool probeJpeg(ByteSpan bytes)
{
    return bytes.size >= 2 && bytes.data[0] == 0xFF && bytes.data[1] == 0xD8;
}

Result<Picture> decodeJpeg(ByteSpan bytes, const LoadOptions& options)
{
    JpegReader reader;
    if (!readHeader(reader, bytes))
        return failJpeg(reader);
    const jpeg_decompress_struct& info = reader.info;
    if (info.jpeg_color_space == JCS_UNKNOWN)
        return fail("JPEG file with an unknown colour space");
    VARDOLIN_TRY(options.limits.check(info.image_width, info.image_height));

    const int orientation = options.applyExifOrientation ? orientationOf(info) : 1;
    const Size stored{std::int32_t(info.image_width), std::int32_t(info.image_height)};
    const Size upright = swapsSides(orientation) ? Size{stored.height, stored.width} : stored;
    int scale = 8;
    if (options.targetSizeFor) {
        const Size target = options.targetSizeFor(upright);
        const Size storedTarget = swapsSides(orientation) ? Size{target.height, target.width} : target;
        scale = jpegScaleCovering(stored, withAveragingMargin(storedTarget));
    }
    // Whole-image coefficient buffers (progressive files) count against this;
    // past it the library fails instead of growing without bound.
    reader.info.mem->max_memory_to_use =
        long(std::min<std::uint64_t>(codecMemoryLimit(options.limits), std::uint64_t(LONG_MAX)));
    if (!startDecompress(reader, scale))
        return failJpeg(reader);

    Picture picture;
    allocateStore(picture, std::int32_t(info.output_width), std::int32_t(info.output_height), 24);
    picture.sourceDepth = std::uint8_t(8 * info.out_color_components);
    std::vector<std::uint8_t> cmykRow(info.out_color_space == JCS_CMYK ? 4 * std::size_t(info.output_width) : 0);
    if (!readScanlines(reader, &picture, cmykRow.empty() ? nullptr : cmykRow.data()))
        return failJpeg(reader);

    applyOrientation(picture, orientation);
    picture.fullSize = upright;
    return picture;
}

} // namespace vardolin::picture
