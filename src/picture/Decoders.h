#pragma once
// The decoder table: each entry recognises its format by the first bytes and
// decodes the whole file into a new picture. The first entry whose probe
// accepts the bytes decides; the file name plays no part.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"

#include <span>

namespace vardolin::picture {

struct DecoderEntry {
    Format format;
    // Cheap look at the signature; no allocation, no library state.
    bool (*probe)(ByteSpan bytes);
    // Fills result.picture (store, sizes, depths) or sets result.error.
    // Returns result.ok.
    bool (*decode)(ByteSpan bytes, const LoadOptions& options, LoadResult& result);
};

bool probeBmp(ByteSpan bytes);
bool decodeBmp(ByteSpan bytes, const LoadOptions& options, LoadResult& result);
bool probeJpeg(ByteSpan bytes);
bool decodeJpeg(ByteSpan bytes, const LoadOptions& options, LoadResult& result);
bool probePng(ByteSpan bytes);
bool decodePng(ByteSpan bytes, const LoadOptions& options, LoadResult& result);
bool probeTiff(ByteSpan bytes);
bool decodeTiff(ByteSpan bytes, const LoadOptions& options, LoadResult& result);

// In probe order: BMP, JPEG, PNG, TIFF.
std::span<const DecoderEntry> decoderTable();

// Sets result.error and returns false, so decoders can fail in one line.
inline bool failLoad(LoadResult& result, std::string why)
{
    result.ok = false;
    result.error = std::move(why);
    return false;
}

} // namespace vardolin::picture
