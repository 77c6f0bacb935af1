#pragma once
// The orientation tag of an Exif block and how it turns the stored pixels
// into the upright picture.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/scale/AreaAverageScaler.h"

namespace vardolin::picture {

// The orientation (1..8) of an APP1 segment's payload ("Exif\0\0" and a TIFF
// structure in either byte order); 1 when the block is not Exif, carries no
// such tag or is damaged.
int readExifOrientation(ByteSpan app1Payload);

// Orientations 5 to 8 turn the picture by a quarter: width and height swap.
constexpr bool swapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// How the stored pixels of an orientation lie in the upright picture.
constexpr StoredTurn storedTurnOf(int orientation)
{
    switch (orientation) {
    case 2: return {false, true, false};
    case 3: return {false, true, true};
    case 4: return {false, false, true};
    case 5: return {true, false, false};
    case 6: return {true, false, true};
    case 7: return {true, true, true};
    case 8: return {true, true, false};
    default: return {};
    }
}

// Rewrites the pixels so that they show the upright picture. Orientations 2
// to 4 work in place; 5 to 8 use one new store of the swapped size.
void applyOrientation(Picture& picture, int orientation);

} // namespace vardolin::picture
