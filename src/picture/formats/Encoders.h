#pragma once
// The encoder table: which formats can be written, at which depths, and the
// operation for 24-bit rows and (where the format keeps alpha) for 32-bit rows.

#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>

namespace vardolin::picture {

// Writes rows (bottom-up in memory) to the file, top row first. On failure no
// file is left behind. Only JPEG uses the quality grade.
using EncodeOperation = Result<void> (*)(const RowSource& rows, const std::filesystem::path& file, int qualityGrade,
                                         int outputDepth);

struct EncoderEntry {
    Format format;
    EncodeOperation encode24;
    EncodeOperation encode32; // null when the format has no alpha
    bool (*writesDepth)(int outputDepth);
};

// The entry for a format, in the order BMP, JPEG, PNG, WebP; null when none writes it.
const EncoderEntry* findEncoder(Format format);

} // namespace vardolin::picture
