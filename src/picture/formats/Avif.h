#pragma once
// AVIF through libheif's AV1 encoder: written only (AVIF files are read by
// the HEIF row). Lossy at the quality of the grade, 4:2:0, tagged sRGB;
// 32-bit rows keep their alpha; an Exif block goes into an Exif item.

#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>

namespace vardolin::picture {

// The library quality whose copies look about like the JPEG copy at the grade
// (bench/README.md says how the table was measured).
int avifQualityForGrade(int grade);

Result<void> encodeAvif(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings);
// 24 (no alpha) and 32 (with alpha).
bool avifWritesDepth(int outputDepth);

// Debian's libheif brings the AV1 encoder as a plug-in; a build without it
// reads AVIF but cannot write it.
bool avifEncoderPresent();

// The encoder's speed (0 slowest … 9 fastest): chosen so that a copy with a
// short side of 1200 pixels is encoded in well under half a second on one
// core (bench/README.md).
inline constexpr int kAvifSpeed = 8;

} // namespace vardolin::picture
