// savePicture: checks, the output depth, the encoder for the format, and the
// composition onto white when alpha cannot be kept.

#include "picture/ComposeOnWhite.h"
#include "picture/Picture.h"
#include "picture/formats/Encoders.h"

#include <new>
#include <string>

namespace vardolin::picture {
namespace {

constexpr int kSourceDepth = -1;

bool isOutputDepth(int depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 24 || depth == 32;
}

// The depth to write, or 0 when there is none. A source depth that the
// encoder cannot write (a 16-bit gray PNG, a 16- or 2-bit BMP) is written as
// full colour rather than not at all, keeping alpha where the format can
// (PNG, WebP); a depth the caller asked for is not changed behind its back.
int outputDepthFor(const Picture& picture, const EncoderEntry& encoder, int requestedDepth)
{
    if (requestedDepth != kSourceDepth)
        return isOutputDepth(requestedDepth) && encoder.writesDepth(requestedDepth) ? requestedDepth : 0;
    const int sourceDepth = picture.sourceDepth;
    if (isOutputDepth(sourceDepth) && encoder.writesDepth(sourceDepth))
        return sourceDepth;
    const bool hasAlpha = picture.depth == 32 && !picture.alphaIsFiller;
    const bool keepsAlpha = encoder.format == Format::Png || encoder.format == Format::Webp;
    return hasAlpha && keepsAlpha ? 32 : 24;
}

} // namespace

Result<void> savePicture(const Picture& picture, const std::filesystem::path& file, Format format, int qualityGrade,
                         int requestedDepth)
{
    if (file.empty())
        return fail("no file name given");
    if (picture.format == Format::Icon)
        return fail("an icon cannot be saved");
    if (!picture.hasStore())
        return fail("the picture has no pixels");
    const EncoderEntry* encoder = findEncoder(format);
    if (encoder == nullptr)
        return fail("no encoder writes this format");
    const int outputDepth = outputDepthFor(picture, *encoder, requestedDepth);
    if (outputDepth == 0)
        return fail("cannot write " + std::to_string(requestedDepth) + " bits per pixel in this format");

    const RowSource rows{picture.pixels.data(), picture.width, picture.height,
                         picture.stride,        picture.depth, picture.lossless};
    try {
        if (picture.depth == 24)
            return encoder->encode24(rows, file, qualityGrade, outputDepth);
        if (encoder->encode32 != nullptr && outputDepth == 32)
            return encoder->encode32(rows, file, qualityGrade, outputDepth);
        const ComposedCopy onWhite = composeOnWhiteCopy(rows);
        return encoder->encode24(onWhite.rows, file, qualityGrade, outputDepth);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}

} // namespace vardolin::picture
