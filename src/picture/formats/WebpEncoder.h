#pragma once
// WebP writing through libwebp: lossy at the quality of the grade (the same
// mapping as JPEG's), or lossless when the rows come from a lossless source;
// 32-bit rows keep their alpha.

#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>

namespace vardolin::picture {

// The library quality for a grade: limited to 0…10, times 10, as for JPEG.
int webpQualityForGrade(int grade);

Result<void> encodeWebp(const RowSource& rows, const std::filesystem::path& file, int qualityGrade, int outputDepth);
// 24 (no alpha) and 32 (with alpha).
bool webpWritesDepth(int outputDepth);

} // namespace vardolin::picture
