// savePicture: checks, the output depth, the encoder of the format's row, and
// the composition onto white when alpha cannot be kept.

#include "picture/ComposeOnWhite.h"
#include "picture/Formats.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace vardolin::picture {
namespace {

bool isOutputDepth(int depth)
{
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 24 || depth == 32;
}

// The depth to write. A source depth that the encoder cannot write (a 16-bit
// gray PNG, a 16- or 2-bit BMP) is written as full colour rather than not at
// all, keeping alpha where the format can (PNG, WebP); a depth the caller
// asked for is not changed behind its back.
Result<int> outputDepthFor(const Picture& picture, const FormatRow& row, std::optional<int> requestedDepth)
{
    if (requestedDepth) {
        if (isOutputDepth(*requestedDepth) && row.writesDepth(*requestedDepth))
            return *requestedDepth;
        return fail("cannot write " + std::to_string(*requestedDepth) + " bits per pixel in this format");
    }
    const int sourceDepth = picture.sourceDepth;
    if (isOutputDepth(sourceDepth) && row.writesDepth(sourceDepth))
        return sourceDepth;
    const bool hasAlpha = picture.depth == 32 && !picture.alphaIsFiller;
    return hasAlpha && row.keepsAlpha ? 32 : 24;
}

// What the decoding side made ready is embedded only in its own shape: a
// TIFF structure that fits one JPEG segment.
bool isExifBlock(const std::vector<std::uint8_t>& exif)
{
    const ByteSpan bytes{exif.data(), exif.size()};
    return exif.size() <= Metadata::kMaxExifBytes && (bytes.startsWith("II*\0", 4) || bytes.startsWith("MM\0*", 4));
}

Result<void> encode(const Picture& picture, const std::filesystem::path& file, const FormatRow& row,
                    const EncodeSettings& settings)
{
    const RowSource rows{picture.pixels.data(), picture.width, picture.height,
                         picture.stride,        picture.depth, picture.lossless};
    if (picture.depth == 24)
        return row.encode24(rows, file, settings);
    if (row.encode32 != nullptr && settings.outputDepth == 32)
        return row.encode32(rows, file, settings);
    const ComposedCopy onWhite = composeOnWhiteCopy(rows);
    return row.encode24(onWhite.rows, file, settings);
}

// The name made free for a file that replaces what has it; a folder stays
// and fails the save.
void freeTheName(const std::filesystem::path& file)
{
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_directory(status))
        std::filesystem::remove(file, error);
}

} // namespace

Result<void> savePicture(const Picture& picture, const std::filesystem::path& file, const SaveOptions& options)
{
    if (file.empty())
        return fail("no file name given");
    if (picture.format == Format::Icon)
        return fail("an icon cannot be saved");
    if (!picture.hasStore())
        return fail("the picture has no pixels");
    const FormatRow* row = formatRow(options.format);
    if (row == nullptr || row->encode24 == nullptr)
        return fail("no encoder writes this format");
    EncodeSettings settings;
    VARDOLIN_TRY_ASSIGN(settings.outputDepth, outputDepthFor(picture, *row, options.requestedDepth));
    settings.quality = encoderQuality(options.format, options.qualityGrade, options.scale);
    settings.optimizeJpeg = options.optimizeJpeg;
    if (options.metadata != nullptr && !options.metadata->exif.empty()) {
        if (!isExifBlock(options.metadata->exif))
            return fail("the Exif block to embed is not one");
        settings.exif = {options.metadata->exif.data(), options.metadata->exif.size()};
    }
    // The encoders make the file anew (OutputFile.h).
    if (options.existing == ExistingName::Replaced)
        freeTheName(file);
    return failOnOutOfMemory([&] { return encode(picture, file, *row, settings); });
}

Result<void> savePicture(const Picture& picture, const std::filesystem::path& file, Format format, int qualityGrade,
                         std::optional<int> requestedDepth, ExistingName existing)
{
    SaveOptions options;
    options.format = format;
    options.qualityGrade = qualityGrade;
    options.requestedDepth = requestedDepth;
    options.existing = existing;
    return savePicture(picture, file, options);
}

} // namespace vardolin::picture
