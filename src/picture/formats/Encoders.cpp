#include "picture/formats/Encoders.h"

#include "picture/formats/BmpEncoder.h"
#include "picture/formats/JpegEncoder.h"
#include "picture/formats/PngEncoder.h"
#include "picture/formats/WebpEncoder.h"

#include <array>

namespace vardolin::picture {
namespace {

const std::array<EncoderEntry, 4> kEncoders{{
    {Format::Bmp, encodeBmp, encodeBmp, bmpWritesDepth},
    {Format::Jpeg, encodeJpeg, nullptr, jpegWritesDepth},
    {Format::Png, encodePng, encodePng, pngWritesDepth},
    {Format::Webp, encodeWebp, encodeWebp, webpWritesDepth},
}};

} // namespace

const EncoderEntry* findEncoder(Format format)
{
    for (const EncoderEntry& entry : kEncoders) {
        if (entry.format == format)
            return &entry;
    }
    return nullptr;
}

} // namespace vardolin::picture
