#pragma once
// The format table: one row per format the engine knows, saying how a file of
// that format is recognised and read, how a picture is written in it, and
// what a source of that format is copied as. Loading takes the first row
// whose probe accepts the bytes; saving takes the row of the format asked
// for; the batch finds a source's row by its extension. A new format is one
// row here and its own files under formats/.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/RowSource.h"

#include <filesystem>
#include <span>
#include <string_view>

namespace vardolin::picture {

// Writes rows (bottom-up in memory) to the file, top row first. On failure no
// file is left behind.
using EncodeOperation = Result<void> (*)(const RowSource& rows, const std::filesystem::path& file,
                                         const EncodeSettings& settings);

struct FormatRow {
    Format format;
    // The source extensions, upper case, whose files are copied; none: files
    // of this format are read but get no copy.
    std::span<const std::string_view> extensions;
    // What a source of this format is copied as, and the copy's extension;
    // an empty extension is the source's own, in upper case.
    Format writtenAs;
    std::string_view extensionWritten;

    // Cheap look at the signature; no allocation, no library state. Null:
    // files of this format are not read.
    bool (*probe)(ByteSpan bytes);
    // The picture with its store, sizes and depths and its notes, or why
    // there is none. The store is allocated once and moved out, never copied.
    Result<Decoded> (*decode)(ByteSpan bytes, const LoadOptions& options);

    // Null: pictures are not written in this format.
    EncodeOperation encode24;
    EncodeOperation encode32; // null where the format has no alpha
    bool (*writesDepth)(int outputDepth);
    // A picture with alpha whose own depth cannot be written keeps its alpha.
    bool keepsAlpha;
    // The encoder's quality for a quality grade; null where the format has
    // no lossy kind and takes no grade.
    int (*qualityForGrade)(int grade);
    // The same, measured to look like the JPEG copy at the grade
    // (QualityScale::LooksLikeJpeg); null: qualityForGrade.
    int (*lookAlikeQualityForGrade)(int grade);
    // Whether this machine has the encoder (AVIF's is a plug-in of libheif);
    // null: always.
    bool (*encoderPresent)();
    // The encoder embeds an Exif block (SaveOptions::metadata).
    bool carriesExif;
};

// In probe order: icon, BMP, JPEG, PNG, TIFF, HEIF (HEIC and AVIF), WebP; then
// AVIF, written only. The order decides which row reads bytes that more than
// one probe would accept.
std::span<const FormatRow> formatTable();

// The row of a format; null for Format::None.
const FormatRow* formatRow(Format format);

// The encoder quality a grade gives in the format on that scale; -1 for a
// format without quality grades.
int encoderQuality(Format format, int grade, QualityScale scale);

// Whether pictures can be written in the format here.
bool canWrite(Format format);

// The row whose extensions hold this one (upper case, without the dot); null
// when no row does.
const FormatRow* sourceRow(std::string_view upperCaseExtension);

} // namespace vardolin::picture
