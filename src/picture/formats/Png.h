#pragma once
// PNG through libpng 1.6. Writing: filter None only, zlib level 9; full
// colour as RGB (24-bit rows) or RGBA (32-bit rows), depths 1–8 as a palette
// image.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>

namespace vardolin::picture {

bool probePng(ByteSpan bytes);
Result<Decoded> decodePng(ByteSpan bytes, const LoadOptions& options);

// The quality grade plays no part.
// settings.outputDepth decides the depth; nothing else of the settings is used.
Result<void> encodePng(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings);
bool pngWritesDepth(int outputDepth);

} // namespace vardolin::picture
