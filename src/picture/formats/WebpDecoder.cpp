// WebP files through libwebp, read from the file's buffer. A still picture
// is decoded straight into the bottom-up store; an animation gives its first
// frame as shown on the canvas. libwebp reports errors by value; RAII owners
// free its decoders.

#include "picture/LibraryOwner.h"
#include "picture/Result.h"
#include "picture/formats/PixelStore.h"
#include "picture/formats/Webp.h"
#include "picture/metadata/ExifForCopy.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <string>

namespace vardolin::picture {
namespace {

using DemuxOwner = LibraryOwner<WebPDemuxer, WebPDemuxDelete>;
using AnimationOwner = LibraryOwner<WebPAnimDecoder, WebPAnimDecoderDelete>;

constexpr int kLosslessBitstream = 2;
constexpr std::uint8_t kIccFlag = 0x20; // in the extended header (VP8X)

std::string statusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "damaged bitstream";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "file cut short";
    default: return "decoding failed";
    }
}

DemuxOwner demuxerOf(ByteSpan bytes)
{
    const WebPData data{bytes.data, bytes.size};
    return DemuxOwner(WebPDemux(&data));
}

// The ICC profile chunk that the extended header announces.
ColourTag colourOf(ByteSpan bytes, const WebPDemuxer* demuxer, Notes& notes)
{
    ColourTag tag;
    const bool extended = bytes.has(12, 9) && std::memcmp(bytes.data + 12, "VP8X", 4) == 0;
    if (!extended || !(bytes.data[20] & kIccFlag))
        return tag;
    WebPChunkIterator chunk;
    if (demuxer == nullptr || !WebPDemuxGetChunk(demuxer, "ICCP", 1, &chunk)) {
        notes.push_back({Note::Kind::ColourIgnored, "the WebP colour profile chunk is missing or damaged"});
        return tag;
    }
    tag.iccProfile.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
    WebPDemuxReleaseChunkIterator(&chunk);
    return tag;
}

// The EXIF chunk, when the options ask for it.
void takeExif(const WebPDemuxer* demuxer, const LoadOptions& options, Size full, Decoded& decoded)
{
    WebPChunkIterator chunk;
    if (options.metadata == KeepMetadata::None || demuxer == nullptr || !WebPDemuxGetChunk(demuxer, "EXIF", 1, &chunk))
        return;
    takeExifForCopy({chunk.chunk.bytes, chunk.chunk.size}, options, full, decoded);
    WebPDemuxReleaseChunkIterator(&chunk);
}

// The size to decode at: the target when libwebp's own scaling (an area
// average, done before the colour conversion) can shrink an opaque picture
// to it; otherwise the whole picture, which the conversion scales.
Size decodeSizeFor(Size full, bool alpha, const LoadOptions& options)
{
    if (alpha || !options.targetSizeFor)
        return full;
    const Size target = options.targetSizeFor(full);
    const bool shrinks =
        target.width > 0 && target.height > 0 && target.width <= full.width && target.height <= full.height;
    return shrinks ? target : full;
}

Result<Decoded> decodeStill(ByteSpan bytes, const WebPBitstreamFeatures& features, const LoadOptions& options)
{
    const Size full{features.width, features.height};
    const bool alpha = features.has_alpha != 0;
    const Size size = decodeSizeFor(full, alpha, options);
    Decoded decoded;
    Picture& picture = decoded.picture;
    allocateStore(picture, size.width, size.height, alpha ? 32 : 24);

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return fail("WebP decoder of another version");
    config.options.flip = 1; // bottom row first, as the store holds it
    if (size != full) {
        config.options.use_scaling = 1;
        config.options.scaled_width = size.width;
        config.options.scaled_height = size.height;
    }
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = picture.pixels.data();
    config.output.u.RGBA.stride = picture.stride;
    config.output.u.RGBA.size = picture.pixels.size();
    const VP8StatusCode status = WebPDecode(bytes.data, bytes.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK)
        return fail("WebP error: " + statusText(status));

    picture.sourceDepth = alpha ? 32 : 24;
    picture.lossless = features.format == kLosslessBitstream;
    picture.fullSize = full;
    const DemuxOwner demuxer = demuxerOf(bytes);
    picture.colour = colourOf(bytes, demuxer.get(), decoded.notes);
    takeExif(demuxer.get(), options, full, decoded);
    return decoded;
}

// Whether the first frame's own bitstream is lossless.
bool firstFrameLossless(const WebPDemuxer* demuxer)
{
    WebPIterator frame;
    if (demuxer == nullptr || !WebPDemuxGetFrame(demuxer, 1, &frame))
        return false;
    WebPBitstreamFeatures features;
    const bool lossless = WebPGetFeatures(frame.fragment.bytes, frame.fragment.size, &features) == VP8_STATUS_OK
                          && features.format == kLosslessBitstream;
    WebPDemuxReleaseIterator(&frame);
    return lossless;
}

// The canvas after the first frame, blue-green-red-alpha, top row first.
Result<Decoded> decodeFirstFrame(ByteSpan bytes, const WebPBitstreamFeatures& features, const LoadOptions& options)
{
    WebPAnimDecoderOptions animationOptions;
    if (!WebPAnimDecoderOptionsInit(&animationOptions))
        return fail("WebP decoder of another version");
    animationOptions.color_mode = MODE_BGRA;
    animationOptions.use_threads = 0;
    const WebPData data{bytes.data, bytes.size};
    const AnimationOwner decoder(WebPAnimDecoderNew(&data, &animationOptions));
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        return fail("WebP error: damaged animation");
    if (std::int64_t(info.canvas_width) != features.width || std::int64_t(info.canvas_height) != features.height)
        return fail("WebP error: damaged animation");
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || canvas == nullptr)
        return fail("WebP error: the first frame cannot be decoded");

    const bool alpha = features.has_alpha != 0;
    Decoded decoded;
    Picture& picture = decoded.picture;
    allocateStore(picture, features.width, features.height, alpha ? 32 : 24);
    const std::size_t canvasStride = std::size_t(features.width) * 4;
    for (std::int32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = canvas + std::size_t(y) * canvasStride;
        std::uint8_t* out = picture.row(picture.height - 1 - y);
        if (alpha) {
            std::memcpy(out, in, canvasStride);
            continue;
        }
        for (std::int32_t x = 0; x < picture.width; ++x, in += 4, out += 3)
            std::memcpy(out, in, 3);
    }
    picture.sourceDepth = alpha ? 32 : 24;
    picture.fullSize = {features.width, features.height};
    const DemuxOwner demuxer = demuxerOf(bytes);
    picture.lossless = firstFrameLossless(demuxer.get());
    picture.colour = colourOf(bytes, demuxer.get(), decoded.notes);
    takeExif(demuxer.get(), options, picture.fullSize, decoded);
    return decoded;
}

} // namespace

bool probeWebp(ByteSpan bytes)
{
    return bytes.startsWith("RIFF", 4) && bytes.has(8, 4) && std::memcmp(bytes.data + 8, "WEBP", 4) == 0;
}

Result<Decoded> decodeWebp(ByteSpan bytes, const LoadOptions& options)
{
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(bytes.data, bytes.size, &features);
    if (status != VP8_STATUS_OK)
        return fail("WebP error: " + statusText(status));
    // The canvas's sides where the file has an extended header: checked
    // before libwebp allocates anything for the pixels.
    VARDOLIN_TRY(options.limits.check(features.width, features.height));
    if (features.has_animation)
        return decodeFirstFrame(bytes, features, options);
    return decodeStill(bytes, features, options);
}

} // namespace vardolin::picture
