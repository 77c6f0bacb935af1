#pragma once
// WebP through libwebp. Reading: the first frame, shrunk by the library's
// own averaging when opaque. Writing: lossy at the quality of the grade, or
// lossless when the rows come from a lossless source; 32-bit rows keep their
// alpha; an Exif block goes into an EXIF chunk.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>

namespace vardolin::picture {

bool probeWebp(ByteSpan bytes);
Result<Decoded> decodeWebp(ByteSpan bytes, const LoadOptions& options);

// The library quality for a grade: limited to 0…10, times 10, as for JPEG.
int webpQualityForGrade(int grade);
// The library quality whose copies look about like the JPEG copy at the grade
// (bench/README.md says how the table was measured).
int webpLookAlikeQualityForGrade(int grade);

Result<void> encodeWebp(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings);
// 24 (no alpha) and 32 (with alpha).
bool webpWritesDepth(int outputDepth);

} // namespace vardolin::picture
