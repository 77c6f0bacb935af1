#pragma once
// The run-length encodings of 8-bit and 4-bit BMP files.

#include "picture/BmpLayout.h"
#include "picture/Picture.h"

#include <string>

namespace vardolin::picture {

// Paints the runs and literal stretches of data into the picture's 24-bit
// store; pixels the data skips stay black. Empty on success, else why the
// data cannot be read (a run past its row, a move past the picture, data that
// ends before the picture does, a colour index past the table).
std::string decodeBmpRunLength(ByteSpan data, const BmpLayout& layout, Picture& picture);

} // namespace vardolin::picture
