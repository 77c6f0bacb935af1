#pragma once
// The icon file directory: which image an icon file would show, and that
// image's width, height and bit count. Icons carry no pixel store here.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"

#include <cstdint>

namespace vardolin::picture {

struct IconImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bitCount = 0;
};

// True when the bytes start like an icon directory (reserved 0, type 1).
bool looksLikeIconDirectory(ByteSpan bytes);

// Among the entries of the first entry's size, the one with the highest bit
// count (the first on a tie), described by its image header; or why the
// directory or the chosen image cannot be used.
Result<IconImage> chooseIconImage(ByteSpan bytes);

// An icon whose chosen image can be used. One that cannot is left to the
// other rows of the format table, as if it were no icon.
bool probeIcon(ByteSpan bytes);
// Its sizes and bit count only: an icon carries no pixel store.
Result<Decoded> decodeIcon(ByteSpan bytes, const LoadOptions& options);

} // namespace vardolin::picture
