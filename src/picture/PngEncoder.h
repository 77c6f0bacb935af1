#pragma once
// PNG writing through libpng: filter None only, zlib level 9; full colour as
// RGB (24-bit rows) or RGBA (32-bit rows), depths 1–8 as a palette image.

#include "picture/RowSource.h"

#include <filesystem>
#include <string>

namespace vardolin::picture {

bool encodePng(const RowSource& rows, const std::filesystem::path& file, int option, int outputDepth,
               std::string& error);
bool pngWritesDepth(int outputDepth);

} // namespace vardolin::picture
