#pragma once
// The icon file directory: which image an icon file would show, and that
// image's width, height and bit count. Icons carry no pixel store here.

#include "picture/ByteCursor.h"

#include <cstdint>
#include <optional>

namespace vardolin::picture {

struct IconImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    int bitCount = 0;
};

// True when the bytes start like an icon directory (reserved 0, type 1).
bool looksLikeIconDirectory(ByteSpan bytes);

// Among the entries of the first entry's size, the one with the highest bit
// count (the first on a tie), described by its image header. Nothing when the
// directory or the chosen image cannot be used; the load then tries the
// ordinary decoders.
std::optional<IconImage> chooseIconImage(ByteSpan bytes);

} // namespace vardolin::picture
