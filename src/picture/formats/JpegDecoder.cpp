// JPEG files through libjpeg-turbo's libjpeg API. Every sequence of library
// calls runs inside jpegGuarded (JpegLibrary.h) and holds no C++ object with
// a destructor, so a fatal library error jumps back over nothing but plain
// frames; decodeJpeg, which owns the reader and the picture, sets no jump
// target itself.

#include "picture/colour/ColourConversion.h"
#include "picture/formats/ExifOrientation.h"
#include "picture/formats/Jpeg.h"
#include "picture/formats/JpegIccProfile.h"
#include "picture/formats/JpegLibrary.h"
#include "picture/formats/JpegScale.h"
#include "picture/formats/PixelStore.h"
#include "picture/metadata/ExifForCopy.h"
#include "picture/scale/AreaAverageScaler.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>
#include <vector>

namespace vardolin::picture {
namespace {

// A progressive file can hold any number of scans; a few hundred is already
// far more than any encoder writes, so more is taken as a decoding bomb.
constexpr int maxScans = 500;
constexpr const char* tooManyScans = "JPEG file with more than 500 scans";

struct JpegReader {
    jpeg_decompress_struct info{};
    JpegComplaints complaints;
    jpeg_progress_mgr progress{};
    ~JpegReader() { jpeg_destroy_decompress(&info); }
};

extern "C" {
static void limitScans(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maxScans)
        failJpegCall(info, tooManyScans);
}
}

bool readHeader(JpegReader& reader, ByteSpan bytes)
{
    jpeg_decompress_struct& info = reader.info;
    info.err = reportTo(reader.complaints);
    reader.progress.progress_monitor = limitScans;
    return jpegGuarded(reader.complaints, [&] {
        jpeg_create_decompress(&info);
        info.progress = &reader.progress;
        jpeg_mem_src(&info, bytes.data, static_cast<unsigned long>(bytes.size));
        jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
        jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&info, TRUE);
    });
}

bool startDecompress(JpegReader& reader, int scaleNumerator)
{
    jpeg_decompress_struct& info = reader.info;
    return jpegGuarded(reader.complaints, [&] {
        info.dct_method = JDCT_ISLOW;
        // Four-component files come out as (inverted) CMYK; everything else as
        // blue-green-red, the store's own order, so no pixel is touched twice.
        const bool fourComponents = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
        info.out_color_space = fourComponents ? JCS_CMYK : JCS_EXT_BGR;
        info.scale_num = unsigned(scaleNumerator);
        info.scale_denom = 8;
        jpeg_start_decompress(&info);
    });
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

// Where decoded rows go: straight into the rows of a full-size store, or
// through the streaming average into a reduced one. Rows that do not land in
// the store are decoded into a buffer of kRowsAtOnce rows first.
constexpr int kRowsAtOnce = 16;

struct ScanlineTargets {
    Picture* store = nullptr;                // full size: the top row is the store's last
    StreamingAreaAverage* average = nullptr; // or every row goes through this
    bool cmyk = false;                       // rows come as inverted CMYK and are converted
    const CmykRows* cmykProfile = nullptr;   // through the file's profile; else by the formula
    std::uint8_t* buffer = nullptr;          // kRowsAtOnce rows of bufferStride bytes
    std::size_t bufferStride = 0;
    std::uint8_t* converted = nullptr; // one blue-green-red row for CMYK rows on their way to the average
};

void deliverRow(const ScanlineTargets& to, const std::uint8_t* decoded, std::int32_t top, JDIMENSION width)
{
    if (to.cmyk) {
        std::uint8_t* out = to.average ? to.converted : to.store->row(to.store->height - 1 - top);
        if (to.cmykProfile)
            to.cmykProfile->convert(decoded, out, width);
        else
            convertCmykRow(decoded, out, width);
        decoded = out;
    }
    if (to.average)
        to.average->addRow(decoded);
}

// Scanlines come top first. A truncated file ends in what the library
// supplies for the missing part (and a warning); rows it never supplies stay
// black.
void readScanlines(jpeg_decompress_struct& info, const ScanlineTargets& to)
{
    const bool direct = to.average == nullptr && !to.cmyk;
    const std::int32_t height = std::int32_t(info.output_height);
    while (info.output_scanline < info.output_height) {
        const std::int32_t top = std::int32_t(info.output_scanline);
        JSAMPROW rows[kRowsAtOnce];
        const int count = std::min<int>(kRowsAtOnce, height - top);
        for (int i = 0; i < count; ++i)
            rows[i] = direct ? to.store->row(height - 1 - top - i) : to.buffer + std::size_t(i) * to.bufferStride;
        const JDIMENSION got = jpeg_read_scanlines(&info, rows, JDIMENSION(count));
        if (got == 0)
            break;
        if (!direct)
            for (JDIMENSION i = 0; i < got; ++i)
                deliverRow(to, rows[i], top + std::int32_t(i), info.output_width);
    }
    jpeg_finish_decompress(&info);
}

// What readScanlines writes to besides the store. It lives outside the
// guarded calls, so no destructor is skipped by a jump.
struct ScanlineBuffers {
    std::unique_ptr<StreamingAreaAverage> average;
    std::vector<std::uint8_t> buffer, converted;
};

// The store, and the streaming average when the target (upright, as the
// caller will scale to) shrinks the decoded picture: the store then has the
// target's size turned as the file stores it, and turning it upright is left
// to the caller. Otherwise the store takes the decoded picture whole.
ScanlineTargets prepareTargets(const jpeg_decompress_struct& info, Picture& picture, Size target, int orientation,
                               ScanlineBuffers& buffers)
{
    const Size decoded{std::int32_t(info.output_width), std::int32_t(info.output_height)};
    const Size storedTarget = swapsSides(orientation) ? Size{target.height, target.width} : target;
    const bool averaging = onlyShrinks(decoded.width, decoded.height, storedTarget.width, storedTarget.height);
    const Size store = averaging ? storedTarget : decoded;
    allocateStore(picture, store.width, store.height, 24);
    picture.sourceDepth = std::uint8_t(8 * info.out_color_components);

    ScanlineTargets to;
    to.store = &picture;
    to.cmyk = info.out_color_space == JCS_CMYK;
    if (averaging) {
        buffers.average = std::make_unique<StreamingAreaAverage>(
            decoded.width, decoded.height, target.width, target.height, storedTurnOf(orientation),
            PixelRect{picture.pixels.data(), picture.width, picture.height, picture.stride});
        to.average = buffers.average.get();
    }
    if (averaging || to.cmyk) {
        to.bufferStride = std::size_t(info.output_width) * std::size_t(info.out_color_components);
        buffers.buffer.resize(to.bufferStride * kRowsAtOnce);
        to.buffer = buffers.buffer.data();
    }
    if (averaging && to.cmyk) {
        buffers.converted.resize(std::size_t(info.output_width) * 3);
        to.converted = buffers.converted.data();
    }
    return to;
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

// The first APP1 segment that holds Exif (others hold XMP); empty when none.
ByteSpan exifBlockOf(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        const ByteSpan payload{marker->data, marker->data_length};
        if (marker->marker == JPEG_APP0 + 1 && payload.startsWith("Exif\0\0", 6))
            return payload;
    }
    return {};
}

// A profile that cannot be joined from its chunks is left out, with a note.
ColourTag colourTagOf(const jpeg_decompress_struct& info, Notes& notes)
{
    ColourTag tag;
    if (info.jpeg_color_space == JCS_GRAYSCALE)
        tag.channels = ColourTag::Channels::Gray;
    else if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        tag.channels = ColourTag::Channels::Cmyk;
    std::vector<ByteSpan> app2;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next)
        if (marker->marker == JPEG_APP0 + 2)
            app2.push_back({marker->data, marker->data_length});
    auto profile = joinIccChunks(app2);
    if (profile)
        tag.iccProfile = std::move(profile.value());
    else
        notes.push_back({Note::Kind::ColourIgnored, profile.error()});
    return tag;
}

Failure failJpeg(const JpegReader& reader)
{
    return fail(std::string("JPEG error: ") + reader.complaints.error);
}

// A CMYK profile is applied row by row as the rows arrive: afterwards the
// pixels no longer hold their CMYK channels. One that cannot be is dropped
// with a note, and the rows go through the plain formula.
std::optional<CmykRows> cmykProfileOf(Decoded& decoded, ColourCache* cache, std::optional<ColourCache>& ownCache)
{
    ColourTag& tag = decoded.picture.colour;
    if (tag.iccProfile.empty())
        return std::nullopt;
    auto rows = cmykRowsFor(tag, cache ? *cache : ownCache.emplace());
    tag = {};
    if (!rows) {
        decoded.notes.push_back({Note::Kind::ColourIgnored, rows.error()});
        return std::nullopt;
    }
    decoded.notes.push_back(*rows->converted);
    return rows.value();
}

} // namespace

bool probeJpeg(ByteSpan bytes)
{
    return bytes.size >= 2 && bytes.data[0] == 0xFF && bytes.data[1] == 0xD8;
}

Result<Decoded> decodeJpeg(ByteSpan bytes, const LoadOptions& options)
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
    Size target{};
    int scale = 8;
    if (options.targetSizeFor) {
        target = options.targetSizeFor(upright);
        scale = jpegScaleFor(stored, swapsSides(orientation) ? Size{target.height, target.width} : target);
    }
    // Whole-image coefficient buffers (progressive files) count against this;
    // past it the library fails instead of growing without bound.
    reader.info.mem->max_memory_to_use =
        long(std::min<std::uint64_t>(codecMemoryLimit(options.limits), std::uint64_t(LONG_MAX)));
    if (!startDecompress(reader, scale))
        return failJpeg(reader);

    Decoded decoded;
    Picture& picture = decoded.picture;
    takeExifForCopy(exifBlockOf(info), options, upright, decoded);
    picture.colour = colourTagOf(info, decoded.notes);
    std::optional<ColourCache> ownCache;
    std::optional<CmykRows> cmykProfile;
    if (info.out_color_space == JCS_CMYK)
        cmykProfile = cmykProfileOf(decoded, options.colourCache, ownCache);
    ScanlineBuffers buffers;
    ScanlineTargets to = prepareTargets(info, picture, target, orientation, buffers);
    to.cmykProfile = cmykProfile ? &*cmykProfile : nullptr;
    if (!jpegGuarded(reader.complaints, [&] { readScanlines(reader.info, to); }))
        return failJpeg(reader);
    noteWarnings(reader.complaints, decoded.notes);
    if (to.average)
        to.average->finish();

    applyOrientation(picture, orientation);
    picture.fullSize = upright;
    return decoded;
}

} // namespace vardolin::picture
