#pragma once
// The run-length encodings of 8-bit and 4-bit BMP files.

#include "picture/Picture.h"
#include "picture/Result.h"
#include "picture/formats/BmpLayout.h"

namespace vardolin::picture {

// Paints the runs and literal stretches of data into the picture's 24-bit
// store; pixels the data skips stay black, pixels past the end of a row are
// dropped. Fails when the data cannot be read: a run above the top row, a move
// past the picture, data that ends before the picture does, a colour index
// past the table.
Result<void> decodeBmpRunLength(ByteSpan data, const BmpLayout& layout, Picture& picture);

} // namespace vardolin::picture
