#include "picture/formats/Webp.h"

#include "picture/LibraryOwner.h"
#include "picture/formats/Jpeg.h"
#include "picture/formats/OutputFile.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace vardolin::picture {
namespace {

extern "C" int writeToFile(const std::uint8_t* data, std::size_t size, const WebPPicture* picture)
{
    auto* file = static_cast<std::FILE*>(picture->custom_ptr);
    return std::fwrite(data, 1, size, file) == size ? 1 : 0;
}

std::string errorText(WebPEncodingError error)
{
    switch (error) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY: return "out of memory";
    case VP8_ENC_ERROR_BAD_DIMENSION: return "a side is longer than WebP allows (16383 pixels)";
    case VP8_ENC_ERROR_BAD_WRITE: return "writing the file failed";
    case VP8_ENC_ERROR_FILE_TOO_BIG: return "the file would be larger than 4 GB";
    default: return "encoding failed (" + std::to_string(int(error)) + ")";
    }
}

WebPConfig configFor(const RowSource& rows, int quality)
{
    WebPConfig config;
    WebPConfigInit(&config);
    if (rows.lossless) {
        config.lossless = 1;
        config.exact = 1; // colours under transparent pixels stay as they were
    } else {
        config.quality = float(std::clamp(quality, 0, 100));
    }
    return config;
}

// The rows handed over top row first: the bottom-up store read with a
// negative stride.
bool importRows(const RowSource& rows, WebPPicture& picture)
{
    picture.width = rows.width;
    picture.height = rows.height;
    const std::uint8_t* top = rows.topRow(0);
    const int stride = -rows.stride;
    return rows.depth == 32 ? WebPPictureImportBGRA(&picture, top, stride) != 0
                            : WebPPictureImportBGR(&picture, top, stride) != 0;
}

using MemoryOwner = LibraryOwner<WebPMemoryWriter, WebPMemoryWriterClear>;
using MuxOwner = LibraryOwner<WebPMux, WebPMuxDelete>;

// The encoded picture with the Exif block in its chunk: the muxer adds the
// extended header that announces it.
Result<void> writeWithExif(const WebPMemoryWriter& encoded, ByteSpan exif, std::FILE* file)
{
    const WebPData image{encoded.mem, encoded.size};
    const MuxOwner mux(WebPMuxCreate(&image, 0));
    if (!mux)
        return fail("WebP muxer: out of memory");
    const WebPData chunk{exif.data, exif.size};
    WebPData assembled{};
    if (WebPMuxSetChunk(mux.get(), "EXIF", &chunk, 0) != WEBP_MUX_OK
        || WebPMuxAssemble(mux.get(), &assembled) != WEBP_MUX_OK)
        return fail("WebP muxer: the Exif chunk cannot be added");
    const bool written = std::fwrite(assembled.bytes, 1, assembled.size, file) == assembled.size;
    WebPDataClear(&assembled);
    if (!written)
        return fail("writing the file failed");
    return {};
}

} // namespace

int webpQualityForGrade(int grade)
{
    return jpegQualityForGrade(grade);
}

int webpLookAlikeQualityForGrade(int grade)
{
    // Grades 0 to 10, measured over the bench photos at short side 1200.
    static constexpr std::array<int, 11> kQuality{0, 1, 11, 25, 34, 44, 54, 68, 79, 87, 100};
    return kQuality[std::size_t(std::clamp(grade, 0, 10))];
}

bool webpWritesDepth(int outputDepth)
{
    return outputDepth == 24 || outputDepth == 32;
}

Result<void> encodeWebp(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings)
{
    if (!webpWritesDepth(settings.outputDepth) || (rows.depth != 24 && rows.depth != 32))
        return fail("WebP cannot be written at " + std::to_string(settings.outputDepth) + " bits per pixel");
    const WebPConfig config = configFor(rows, settings.quality);
    WebPPicture picture;
    if (!WebPPictureInit(&picture))
        return fail("WebP encoder of another version");
    picture.use_argb = config.lossless;
    const LibraryOwner<WebPPicture, WebPPictureFree> owner(&picture);
    if (!importRows(rows, picture))
        return fail("WebP encoder: " + errorText(picture.error_code));

    OutputFile target(file);
    if (!target.isOpen())
        return fail(target.whyNotOpen());
    if (settings.exif.size == 0) {
        picture.writer = writeToFile;
        picture.custom_ptr = target.handle();
        if (!WebPEncode(&config, &picture))
            return fail("WebP encoder: " + errorText(picture.error_code));
        return target.finish();
    }
    WebPMemoryWriter memory;
    WebPMemoryWriterInit(&memory);
    const MemoryOwner memoryOwner(&memory);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &memory;
    if (!WebPEncode(&config, &picture))
        return fail("WebP encoder: " + errorText(picture.error_code));
    VARDOLIN_TRY(writeWithExif(memory, settings.exif, target.handle()));
    return target.finish();
}

} // namespace vardolin::picture
