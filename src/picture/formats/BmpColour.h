#pragma once
// What a BMP file's V4 or V5 information header says about its colours.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"

namespace vardolin::picture {

// The colour space field of a V4/V5 header: sRGB, the system's colour space
// (sRGB) and calibrated RGB give no tag; a linked profile (a file name on
// the writer's machine) is ignored; an embedded profile (V5 only) is taken
// whole, and one lying outside the file is left out with a note. Older
// headers give no tag.
ColourTag readBmpColour(ByteSpan bytes, Notes& notes);

} // namespace vardolin::picture
