// The format table's rows. Which decoder reads a file is decided by content
// alone, in the row order; which copy a source gets, by its extension.

#include "picture/Formats.h"
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
const std::array<FormatRow, 7> kRows{{
    // Icons are recognised first and only measured: they have no pixel store.
    {Format::Icon, {},              Format::None, {},    probeIcon, decodeIcon,
     nullptr,   nullptr,   nullptr,         false, nullptr},
    {Format::Bmp,  kBmpExtensions,  Format::Bmp,  {},    probeBmp,  decodeBmp,
     encodeBmp, encodeBmp, bmpWritesDepth,  false, nullptr},
    {Format::Jpeg, kJpegExtensions, Format::Jpeg, {},    probeJpeg, decodeJpeg,
     encodeJpeg, nullptr,  jpegWritesDepth, false, jpegQualityForGrade},
    {Format::Png,  kPngExtensions,  Format::Png,  {},    probePng,  decodePng,
     encodePng, encodePng, pngWritesDepth,  true,  nullptr},
    {Format::Tiff, kTiffExtensions, Format::Jpeg, "JPG", probeTiff, decodeTiff,
     nullptr,   nullptr,   nullptr,         false, nullptr},
    {Format::Heif, kHeifExtensions, Format::Jpeg, "JPG", probeHeif, decodeHeif,
     nullptr,   nullptr,   nullptr,         false, nullptr},
    {Format::Webp, kWebpExtensions, Format::Webp, {},    probeWebp, decodeWebp,
     encodeWebp, encodeWebp, webpWritesDepth, true, webpQualityForGrade},
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

const FormatRow* sourceRow(std::string_view upperCaseExtension)
{
    for (const FormatRow& row : kRows)
        if (std::find(row.extensions.begin(), row.extensions.end(), upperCaseExtension) != row.extensions.end())
            return &row;
    return nullptr;
}

} // namespace vardolin::picture
