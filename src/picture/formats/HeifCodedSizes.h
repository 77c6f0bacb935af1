#pragma once
// The sizes a HEIF or AVIF file's pixels will really be decoded at, read
// from its own boxes before libheif decodes anything. libheif 1.15 holds a
// picture to the size its item properties (ispe) state, but allocates for the
// size of a grid or overlay canvas and for whatever size the codec
// configuration gives (an HEVC sequence parameter set, an AV1 sequence
// header), which a file may set far larger: a 15 KB file stating 24 x 16
// decoded at 8192 x 8192.

#include "picture/ByteCursor.h"
#include "picture/Limits.h"
#include "picture/Picture.h"
#include "picture/Result.h"

#include <optional>

namespace vardolin::picture {

// Reads the file's boxes once, before libheif is given the file. Fails when
// any grid or overlay canvas, or any coded picture an HEVC or AV1
// configuration describes, is over the limits; when libheif 1.15 would read
// the item locations otherwise than they are meant; when a derived picture
// (a grid, an overlay, an identity) is made of an item that is no picture,
// or of itself through any chain — libheif 1.15 does not check the first for
// identities and overlays and stops the whole program on an assertion.
// Otherwise gives the canvas of the primary picture when it is a grid or an
// overlay (libheif 1.15 decodes a canvas at its own size whatever size the
// picture states); nothing for a coded picture. Boxes this reader cannot
// make sense of are left to libheif, which refuses them itself.
Result<std::optional<Size>> checkBeforeDecoding(ByteSpan file, const Limits& limits);

} // namespace vardolin::picture
