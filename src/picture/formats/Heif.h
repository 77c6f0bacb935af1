#pragma once
// HEIC, HEIF and AVIF through libheif: the primary picture, upright as the
// container says; read, never written.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"

namespace vardolin::picture {

// A file type box naming one of their brands.
bool probeHeif(ByteSpan bytes);
Result<Decoded> decodeHeif(ByteSpan bytes, const LoadOptions& options);
// Registers libheif's codecs; decodeHeif does it on first use otherwise.
void readyHeif();

} // namespace vardolin::picture
