#pragma once
// The decoder table: each entry recognises its format by the first bytes and
// decodes the whole file into a new picture. The first entry whose probe
// accepts the bytes decides; the file name plays no part.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"

#include <span>

namespace vardolin::picture {

struct DecoderEntry {
    Format format;
    // Cheap look at the signature; no allocation, no library state.
    bool (*probe)(ByteSpan bytes);
    // The picture with its store, sizes and depths, or why there is none. The
    // store is allocated once and moved out, never copied.
    Result<Picture> (*decode)(ByteSpan bytes, const LoadOptions& options);
};

bool probeBmp(ByteSpan bytes);
Result<Picture> decodeBmp(ByteSpan bytes, const LoadOptions& options);
bool probeJpeg(ByteSpan bytes);
Result<Picture> decodeJpeg(ByteSpan bytes, const LoadOptions& options);
bool probePng(ByteSpan bytes);
Result<Picture> decodePng(ByteSpan bytes, const LoadOptions& options);
bool probeTiff(ByteSpan bytes);
Result<Picture> decodeTiff(ByteSpan bytes, const LoadOptions& options);
// HEIC, HEIF and AVIF: a file type box naming one of their brands.
bool probeHeif(ByteSpan bytes);
Result<Picture> decodeHeif(ByteSpan bytes, const LoadOptions& options);
bool probeWebp(ByteSpan bytes);
Result<Picture> decodeWebp(ByteSpan bytes, const LoadOptions& options);

// In probe order: BMP, JPEG, PNG, TIFF, HEIF, WebP.
std::span<const DecoderEntry> decoderTable();

} // namespace vardolin::picture
