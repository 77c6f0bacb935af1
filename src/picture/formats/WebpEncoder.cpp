#include "picture/formats/Webp.h"

#include "picture/LibraryOwner.h"
#include "picture/formats/Jpeg.h"
#include "picture/formats/OutputFile.h"

#include <webp/encode.h>

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

WebPConfig configFor(const RowSource& rows, int qualityGrade)
{
    WebPConfig config;
    WebPConfigInit(&config);
    if (rows.lossless) {
        config.lossless = 1;
        config.exact = 1; // colours under transparent pixels stay as they were
    } else {
        config.quality = float(webpQualityForGrade(qualityGrade));
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

} // namespace

int webpQualityForGrade(int grade)
{
    return jpegQualityForGrade(grade);
}

bool webpWritesDepth(int outputDepth)
{
    return outputDepth == 24 || outputDepth == 32;
}

Result<void> encodeWebp(const RowSource& rows, const std::filesystem::path& file, int qualityGrade, int outputDepth)
{
    if (!webpWritesDepth(outputDepth) || (rows.depth != 24 && rows.depth != 32))
        return fail("WebP cannot be written at " + std::to_string(outputDepth) + " bits per pixel");
    const WebPConfig config = configFor(rows, qualityGrade);
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
    picture.writer = writeToFile;
    picture.custom_ptr = target.handle();
    if (!WebPEncode(&config, &picture))
        return fail("WebP encoder: " + errorText(picture.error_code));
    return target.finish();
}

} // namespace vardolin::picture
