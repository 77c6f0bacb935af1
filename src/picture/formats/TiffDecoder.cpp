// TIFF files through libtiff, opened over the file's buffer with our own
// client procedures. libtiff reports through handlers, not jumps, so RAII
// holds here as usual.

#include "picture/LibraryOwner.h"
#include "picture/Result.h"
#include "picture/colour/ColourConversion.h"
#include "picture/formats/PixelStore.h"
#include "picture/formats/Tiff.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <tiffio.h>
#include <vector>

namespace vardolin::picture {
namespace {

constexpr std::uint16_t oldJpegCompression = 6;
constexpr std::uint16_t oldDeflateCompression = 32946;

struct TiffSource {
    static constexpr int kKeptComplaints = 4;
    static constexpr int kLength = 300;

    ByteSpan bytes;
    toff_t position = 0;
    char message[kLength] = {}; // the first error
    // The distinct errors and warnings of a file that still loaded.
    char complaints[kKeptComplaints][kLength] = {};
    int keptComplaints = 0;
};

extern "C" {
static tmsize_t readProc(thandle_t handle, void* out, tmsize_t size)
{
    auto* source = static_cast<TiffSource*>(handle);
    if (size < 0 || source->position >= source->bytes.size)
        return 0;
    const std::size_t count = std::min<std::size_t>(std::size_t(size), source->bytes.size - source->position);
    std::memcpy(out, source->bytes.data + source->position, count);
    source->position += count;
    return tmsize_t(count);
}

static tmsize_t writeProc(thandle_t, void*, tmsize_t)
{
    return -1;
}

static toff_t seekProc(thandle_t handle, toff_t offset, int whence)
{
    auto* source = static_cast<TiffSource*>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = source->position;
    else if (whence == SEEK_END)
        base = source->bytes.size;
    // Seeking past the end is allowed; reads there deliver nothing.
    source->position = base + offset;
    return source->position;
}

static int closeProc(thandle_t)
{
    return 0;
}

static toff_t sizeProc(thandle_t handle)
{
    return static_cast<TiffSource*>(handle)->bytes.size;
}

// The buffer serves as the mapped file, so uncompressed strips are not copied.
static int mapProc(thandle_t handle, void** base, toff_t* size)
{
    auto* source = static_cast<TiffSource*>(handle);
    *base = const_cast<std::uint8_t*>(source->bytes.data);
    *size = source->bytes.size;
    return 1;
}

static void unmapProc(thandle_t, void*, toff_t) {}

static void formatComplaint(char* out, const char* module, const char* format, va_list args)
{
    const int used = std::snprintf(out, TiffSource::kLength, "%s: ", module ? module : "TIFF");
    std::vsnprintf(out + used, TiffSource::kLength - std::size_t(used), format, args);
}

static void keepComplaint(TiffSource& source, const char* text)
{
    if (source.keptComplaints == TiffSource::kKeptComplaints)
        return;
    for (int i = 0; i < source.keptComplaints; ++i)
        if (std::strcmp(source.complaints[i], text) == 0)
            return;
    std::memcpy(source.complaints[source.keptComplaints++], text, TiffSource::kLength);
}

static int recordError(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    auto* source = static_cast<TiffSource*>(userData);
    char text[TiffSource::kLength];
    formatComplaint(text, module, format, args);
    if (source->message[0] == 0)
        std::memcpy(source->message, text, sizeof text);
    keepComplaint(*source, text);
    return 1;
}

// Tags libtiff does not know are a camera's or scanner's own, not damage.
static int recordWarning(TIFF*, void* userData, const char* module, const char* format, va_list args)
{
    char text[TiffSource::kLength];
    formatComplaint(text, module, format, args);
    if (std::strstr(text, "Unknown field with tag") == nullptr)
        keepComplaint(*static_cast<TiffSource*>(userData), text);
    return 1;
}
}

using TiffHandle = LibraryOwner<TIFF, TIFFClose>;
using OpenOptionsOwner = LibraryOwner<TIFFOpenOptions, TIFFOpenOptionsFree>;

TiffHandle openTiff(TiffSource& source, const Limits& limits)
{
    // Messages go to each file's own handlers; the process-wide ones stay
    // silent for anything reported before a file has its own.
    static std::once_flag silenced;
    std::call_once(silenced, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
    OpenOptionsOwner openOptions(TIFFOpenOptionsAlloc());
    if (!openOptions)
        return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(openOptions.get(), recordError, &source);
    TIFFOpenOptionsSetWarningHandlerExtR(openOptions.get(), recordWarning, &source);
    // A strip or tile size read from a lying directory fails here instead of
    // being allocated.
    TIFFOpenOptionsSetMaxSingleMemAlloc(
        openOptions.get(), tmsize_t(std::min<std::uint64_t>(codecMemoryLimit(limits), std::uint64_t(INT64_MAX))));
    return TiffHandle(TIFFClientOpenExt("memory", "r", &source, readProc, writeProc, seekProc, closeProc, sizeProc,
                                        mapProc, unmapProc, openOptions.get()));
}

Failure failTiff(const TiffSource& source, const char* fallback)
{
    return fail(std::string("TIFF error: ") + (source.message[0] ? source.message : fallback));
}

// libtiff's raster holds one packed 32-bit value per pixel, bottom row first:
// the store's own row order. Each value is unpacked in place into blue,
// green, red, alpha.
void unpackRaster(Picture& picture)
{
    std::uint8_t* pixel = picture.pixels.data();
    std::uint8_t* const end = pixel + picture.pixels.size();
    for (; pixel < end; pixel += 4) {
        std::uint32_t packed;
        std::memcpy(&packed, pixel, 4);
        pixel[0] = std::uint8_t(TIFFGetB(packed));
        pixel[1] = std::uint8_t(TIFFGetG(packed));
        pixel[2] = std::uint8_t(TIFFGetR(packed));
        pixel[3] = std::uint8_t(TIFFGetA(packed));
    }
}

// The kind of the first extra sample, which libtiff's raster takes for alpha;
// 0 (unspecified) when the file names none.
std::uint16_t declaredAlpha(TIFF* tiff)
{
    std::uint16_t count = 0;
    std::uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0 || kinds == nullptr)
        return EXTRASAMPLE_UNSPECIFIED;
    return kinds[0];
}

// libtiff's raster is premultiplied: it multiplies straight alpha into the
// colours, and no division gets them back exactly. Declared premultiplied,
// straight alpha passes through unchanged, which is what the store holds.
// False when libtiff does not take the declaration.
bool declareAlphaPremultiplied(TIFF* tiff)
{
    std::uint16_t count = 0;
    std::uint16_t* kinds = nullptr;
    if (!TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0 || kinds == nullptr)
        return false;
    std::vector<std::uint16_t> relabelled(kinds, kinds + count);
    relabelled[0] = EXTRASAMPLE_ASSOCALPHA;
    return TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, count, relabelled.data()) == 1;
}

// Colours stored premultiplied by their alpha, divided back to straight alpha.
void unpremultiply(Picture& picture)
{
    std::uint8_t* pixel = picture.pixels.data();
    std::uint8_t* const end = pixel + picture.pixels.size();
    for (; pixel < end; pixel += 4) {
        const unsigned alpha = pixel[3];
        if (alpha == 0 || alpha == 255)
            continue;
        for (int c = 0; c < 3; ++c)
            pixel[c] = std::uint8_t(std::min(255u, (pixel[c] * 255u + alpha / 2) / alpha));
    }
}

struct Raster {
    bool hasAlpha = false; // the raster carries an alpha channel of the file
    bool cutShort = false; // a strip or tile could not be read: the rest is grey
};

// Packed as libtiff packs a raster value: opaque mid-grey, what a picture
// shows where its file no longer holds it (as libjpeg shows a JPEG cut short).
constexpr std::uint32_t missingPixel = 0xFF808080u;

// libtiff's RGBA raster of the whole picture, bottom row first, written to
// `raster`. The raster stops at the first strip or tile that cannot be read
// (rather than filling it with the last one read); what came before it is
// kept when there is any.
Result<Raster> readRaster(TIFF* tiff, const TiffSource& source, std::uint32_t width, std::uint32_t height,
                          std::uint32_t* raster)
{
    char message[1024] = {};
    TIFFRGBAImage image{};
    if (!TIFFRGBAImageOK(tiff, message) || !TIFFRGBAImageBegin(&image, tiff, 1, message))
        return fail(std::string("TIFF error: ") + message);
    const LibraryOwner<TIFFRGBAImage, TIFFRGBAImageEnd> ending(&image);
    image.req_orientation = ORIENTATION_BOTLEFT;
    const std::size_t pixels = std::size_t(width) * height;
    std::fill_n(raster, pixels, missingPixel);
    if (TIFFRGBAImageGet(&image, raster, width, height))
        return Raster{image.alpha != 0, false};
    if (std::all_of(raster, raster + pixels, [](std::uint32_t value) { return value == missingPixel; }))
        return failTiff(source, "cannot read the TIFF raster");
    return Raster{image.alpha != 0, true};
}

void noteComplaints(const TiffSource& source, Notes& notes)
{
    for (int i = 0; i < source.keptComplaints; ++i)
        notes.push_back({Note::Kind::Damaged, std::string("TIFF ") + source.complaints[i]});
}

// Tag 34675 with the photometric interpretation it describes. Pixels libtiff
// turns from Lab into RGB, from inks other than CMYK or from white-is-zero
// gray get no profile: it describes values that are gone.
ColourTag colourTagOf(TIFF* tiff)
{
    ColourTag tag;
    std::uint32_t length = 0;
    void* profile = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &length, &profile) == 0 || profile == nullptr || length == 0)
        return tag;
    std::uint16_t photometric = PHOTOMETRIC_RGB, inkSet = INKSET_CMYK;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inkSet);
    switch (photometric) {
    case PHOTOMETRIC_MINISBLACK: tag.channels = ColourTag::Channels::Gray; break;
    case PHOTOMETRIC_SEPARATED:
        if (inkSet != INKSET_CMYK)
            return tag;
        tag.channels = ColourTag::Channels::Cmyk;
        break;
    case PHOTOMETRIC_RGB:
    case PHOTOMETRIC_PALETTE:
    case PHOTOMETRIC_YCBCR: break;
    default: return tag;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(profile);
    tag.iccProfile.assign(bytes, bytes + length);
    return tag;
}

// Whether the picture's samples can be read as they are stored, 16 bits at
// a time, for a conversion of their colours before the reduction to 8 bits:
// strips of gray or red-green-blue samples side by side, top row first,
// with no alpha or straight alpha. The others go through libtiff's raster.
bool readableWide(TIFF* tiff, std::uint32_t width, std::uint16_t bitsPerSample, std::uint16_t samplesPerPixel)
{
    std::uint16_t photometric = 0, planar = PLANARCONFIG_CONTIG, orientation = ORIENTATION_TOPLEFT;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    const std::uint16_t colours = photometric == PHOTOMETRIC_RGB ? 3 : photometric == PHOTOMETRIC_MINISBLACK ? 1 : 0;
    const bool straightAlpha = samplesPerPixel == colours + 1 && declaredAlpha(tiff) == EXTRASAMPLE_UNASSALPHA;
    return bitsPerSample == 16 && colours != 0 && (samplesPerPixel == colours || straightAlpha)
           && planar == PLANARCONFIG_CONTIG && orientation == ORIENTATION_TOPLEFT && !TIFFIsTiled(tiff)
           && TIFFScanlineSize64(tiff) == std::uint64_t(width) * samplesPerPixel * 2;
}

// Each row's 16-bit samples through the conversion into the store, top row
// into the last memory row.
Result<void> readWide(TIFF* tiff, const TiffSource& source, const WideRows& wide, int channels, Picture& picture)
{
    std::vector<std::uint16_t> samples(std::size_t(picture.width) * std::size_t(channels));
    for (std::int32_t top = 0; top < picture.height; ++top) {
        if (TIFFReadScanline(tiff, samples.data(), std::uint32_t(top), 0) < 0)
            return failTiff(source, "cannot read a TIFF row");
        wide.convert(samples.data(), channels, picture.row(picture.height - 1 - top), std::uint32_t(picture.width), 4);
    }
    return {};
}

} // namespace

bool probeTiff(ByteSpan bytes)
{
    constexpr std::uint8_t little[4] = {'I', 'I', 42, 0}, big[4] = {'M', 'M', 0, 42};
    constexpr std::uint8_t littleBig[4] = {'I', 'I', 43, 0}, bigBig[4] = {'M', 'M', 0, 43};
    return bytes.startsWith(little, 4) || bytes.startsWith(big, 4) || bytes.startsWith(littleBig, 4)
           || bytes.startsWith(bigBig, 4);
}

Result<Decoded> decodeTiff(ByteSpan bytes, const LoadOptions& options)
{
    TiffSource source;
    source.bytes = bytes;
    TiffHandle tiff = openTiff(source, options.limits);
    if (!tiff)
        return failTiff(source, "cannot open the TIFF file");

    std::uint32_t width = 0, height = 0;
    std::uint16_t compression = 1, bitsPerSample = 1, samplesPerPixel = 1;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    if (compression == oldJpegCompression || compression == oldDeflateCompression)
        return fail("unsupported TIFF compression " + std::to_string(compression));
    VARDOLIN_TRY(options.limits.check(width, height));
    // libtiff buffers strips in the file's own layout, so thousands of samples
    // per pixel would make a tiny file ask for gigabytes.
    const std::uint64_t fileRasterBytes = std::uint64_t(width) * height * samplesPerPixel * ((bitsPerSample + 7u) / 8u);
    if (fileRasterBytes > codecMemoryLimit(options.limits))
        return fail("picture too large: " + std::to_string(samplesPerPixel) + " samples of "
                    + std::to_string(bitsPerSample) + " bits per pixel");

    Decoded decoded;
    Picture& picture = decoded.picture;
    allocateStore(picture, std::int32_t(width), std::int32_t(height), 32);
    picture.sourceDepth = std::uint8_t(bitsPerSample * samplesPerPixel);
    picture.colour = colourTagOf(tiff.get());
    std::optional<ColourCache> ownCache;
    if (readableWide(tiff.get(), width, bitsPerSample, samplesPerPixel))
        if (const auto wide =
                wideRowsFor(picture.colour, options.colourCache ? *options.colourCache : ownCache.emplace())) {
            VARDOLIN_TRY(readWide(tiff.get(), source, *wide, samplesPerPixel, picture));
            picture.alphaIsFiller = samplesPerPixel % 2 != 0;
            picture.colour = {};
            decoded.notes.push_back(*wide->converted);
            noteComplaints(source, decoded.notes);
            return decoded;
        }
    const std::uint16_t alphaKind = declaredAlpha(tiff.get());
    const bool premultiplied = alphaKind == EXTRASAMPLE_ASSOCALPHA
                               || (alphaKind == EXTRASAMPLE_UNASSALPHA && !declareAlphaPremultiplied(tiff.get()));
    // A 32-bit store row is exactly one raster row, so the raster is the store.
    auto* raster = reinterpret_cast<std::uint32_t*>(picture.pixels.data());
    VARDOLIN_TRY_ASSIGN(const Raster read, readRaster(tiff.get(), source, width, height, raster));
    picture.alphaIsFiller = !read.hasAlpha;
    unpackRaster(picture);
    if (premultiplied)
        unpremultiply(picture);
    noteComplaints(source, decoded.notes);
    if (read.cutShort && source.keptComplaints == 0)
        decoded.notes.push_back({Note::Kind::Damaged, "TIFF: the picture could not be read whole"});
    return decoded;
}

} // namespace vardolin::picture
