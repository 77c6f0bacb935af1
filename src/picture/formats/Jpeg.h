#pragma once
// JPEG through libjpeg-turbo: reading with shrink-on-load and the Exif
// orientation; writing with baseline-style defaults (4:2:0, standard Huffman
// tables, JFIF marker and nothing else) at the quality of the grade, or on
// request with optimised tables and progressive scans, and an Exif block.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>

namespace vardolin::picture {

bool probeJpeg(ByteSpan bytes);
Result<Decoded> decodeJpeg(ByteSpan bytes, const LoadOptions& options);

// The library quality for a grade: limited to 0…10, times 10.
int jpegQualityForGrade(int grade);

// 24-bit rows only; the output depth plays no part.
Result<void> encodeJpeg(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings);
bool jpegWritesDepth(int outputDepth);

// How the rows reach the library. Blue-green-red is handed over as it is
// stored; swapping into a red-green-blue row buffer is the plain way and
// gives the same bytes (a test holds both to that).
enum class JpegInput { StoredOrder, SwappedRows };
Result<void> encodeJpegWith(JpegInput input, const RowSource& rows, const std::filesystem::path& file,
                            const EncodeSettings& settings);

} // namespace vardolin::picture
