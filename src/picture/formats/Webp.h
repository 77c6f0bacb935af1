#pragma once
// WebP through libwebp. Reading: the first frame, shrunk by the library's
// own averaging when opaque. Writing: lossy at the quality of the grade (the
// same mapping as JPEG's), or lossless when the rows come from a lossless
// source; 32-bit rows keep their alpha.

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

Result<void> encodeWebp(const RowSource& rows, const std::filesystem::path& file, int qualityGrade, int outputDepth);
// 24 (no alpha) and 32 (with alpha).
bool webpWritesDepth(int outputDepth);

} // namespace vardolin::picture
