// The format table's rows. Which decoder reads a file is decided by content
// alone, in the row order; which copy a source gets, by its extension.

#include "picture/Formats.h"
#include "picture/formats/Avif.h"
#include "picture/formats/Bmp.h"
#include "picture/formats/Heif.h"
#include "picture/formats/IconDirectory.h"
#include "picture/formats/Jpeg.h"
#include "picture/formats/Png.h"
#include "picture/formats/Tiff.h"
#include "picture/formats/Webp.h"

#include <algorithm>
#include <array>

namespace vardolin::picture {
namespace {

using namespace std::string_view_literals;

// Phones and browsers save JPEGs under the longer names too; the copy keeps
// the source's own, in upper case.
constexpr std::array kJpegExtensions{"JPG"sv, "JPEG"sv, "JPE"sv, "JFIF"sv};
constexpr std::array kBmpExtensions{"BMP"sv};
constexpr std::array kPngExtensions{"PNG"sv};
// Scans become JPEGs at the chosen grade, as phone photos do.
constexpr std::array kTiffExtensions{"TIF"sv, "TIFF"sv};
// Today's phone photos become JPEGs any viewer shows.
constexpr std::array kHeifExtensions{"HEIC"sv, "HEIF"sv, "AVIF"sv};
constexpr std::array kWebpExtensions{"WEBP"sv};

// clang-format off
const std::array<FormatRow, 8> kRows{{
    // Icons are recognised first and only measured: they have no pixel store.
    {Format::Icon, {},              Format::None, {},    probeIcon, decodeIcon,
     nullptr,   nullptr,   nullptr,         false, nullptr,
     nullptr,   nullptr,   false},
    {Format::Bmp,  kBmpExtensions,  Format::Bmp,  {},    probeBmp,  decodeBmp,
     encodeBmp, encodeBmp, bmpWritesDepth,  false, nullptr,
     nullptr,   nullptr,   false},
    {Format::Jpeg, kJpegExtensions, Format::Jpeg, {},    probeJpeg, decodeJpeg,
     encodeJpeg, nullptr,  jpegWritesDepth, false, jpegQualityForGrade,
     nullptr,   nullptr,   true},
    {Format::Png,  kPngExtensions,  Format::Png,  {},    probePng,  decodePng,
     encodePng, encodePng, pngWritesDepth,  true,  nullptr,
     nullptr,   nullptr,   false},
    {Format::Tiff, kTiffExtensions, Format::Jpeg, "JPG", probeTiff, decodeTiff,
     nullptr,   nullptr,   nullptr,         false, nullptr,
     nullptr,   nullptr,   false},
    {Format::Heif, kHeifExtensions, Format::Jpeg, "JPG", probeHeif, decodeHeif,
     nullptr,   nullptr,   nullptr,         false, nullptr,
     nullptr,   nullptr,   false},
    {Format::Webp, kWebpExtensions, Format::Webp, {},    probeWebp, decodeWebp,
     encodeWebp, encodeWebp, webpWritesDepth, true, webpQualityForGrade,
     webpLookAlikeQualityForGrade, nullptr, true},
    // Written only, when the user asks for AVIF copies; AVIF files are read
    // by the HEIF row.
    {Format::Avif, {},              Format::None, {},    nullptr,   nullptr,
     encodeAvif, encodeAvif, avifWritesDepth, true, avifQualityForGrade,
     nullptr,   avifEncoderPresent, true},
}};
// clang-format on

} // namespace

std::span<const FormatRow> formatTable()
{
    return kRows;
}

const FormatRow* formatRow(Format format)
{
    const auto row = std::find_if(kRows.begin(), kRows.end(), [&](const FormatRow& r) { return r.format == format; });
    return row == kRows.end() ? nullptr : &*row;
}

int encoderQuality(Format format, int grade, QualityScale scale)
{
    const FormatRow* row = formatRow(format);
    if (row == nullptr || row->qualityForGrade == nullptr)
        return -1;
    if (scale == QualityScale::LooksLikeJpeg && row->lookAlikeQualityForGrade != nullptr)
        return row->lookAlikeQualityForGrade(grade);
    return row->qualityForGrade(grade);
}

bool canWrite(Format format)
{
    const FormatRow* row = formatRow(format);
    return row != nullptr && row->encode24 != nullptr && (row->encoderPresent == nullptr || row->encoderPresent());
}

const FormatRow* sourceRow(std::string_view upperCaseExtension)
{
    for (const FormatRow& row : kRows)
        if (std::find(row.extensions.begin(), row.extensions.end(), upperCaseExtension) != row.extensions.end())
            return &row;
    return nullptr;
}

} // namespace vardolin::picture
