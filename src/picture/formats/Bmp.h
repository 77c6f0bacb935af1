#pragma once
// BMP, our own reader and writer. Writing: depths 1, 4 and 8 through the
// palette reduction, 24 and 32 as full colour; uncompressed, rows bottom-up
// as the picture holds them.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <cstdint>
#include <filesystem>

namespace vardolin::picture {

bool probeBmp(ByteSpan bytes);
Result<Decoded> decodeBmp(ByteSpan bytes, const LoadOptions& options);

// Bytes of one file row at the output depth: padded to 4, at least 4.
std::uint32_t bmpRowLength(std::int32_t width, int outputDepth);

// The quality grade plays no part.
// settings.outputDepth decides the depth; nothing else of the settings is used.
Result<void> encodeBmp(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings);
bool bmpWritesDepth(int outputDepth);

} // namespace vardolin::picture
