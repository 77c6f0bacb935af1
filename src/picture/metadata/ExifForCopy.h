#pragma once
// A source's Exif block made ready for its reduced copy, through libexif: the
// date, camera, exposure, copyright and description stay; what no longer
// describes the copy (orientation, thumbnail, pixel sizes, colour profile)
// is set right or removed, and what a shared copy must not tell (the GPS
// tags, unless asked) goes.

#include "picture/ByteCursor.h"
#include "picture/Picture.h"
#include "picture/Result.h"

#include <cstdint>
#include <vector>

namespace vardolin::picture {

// A source block larger than this is not read: no camera writes one (a JPEG
// segment holds 64 KiB), and a copy could not carry it anyway.
inline constexpr std::size_t kMaxSourceExifBytes = std::size_t(1) << 20;

struct ExifCleaning {
    bool keepLocation = false;
    Size copySize; // the copy's width and height, upright
};

// block: a TIFF structure as a file stores its Exif, with or without the
// "Exif\0\0" header in front. The cleaned TIFF structure (at most
// Metadata::kMaxExifBytes; empty when nothing worth carrying is left), or
// why the block cannot be carried.
Result<std::vector<std::uint8_t>> cleanExif(ByteSpan block, const ExifCleaning& how);

// For the decoders: when options ask for metadata, the file's Exif block
// (empty: the file has none) is cleaned for a copy of the size the caller
// will scale the upright picture to, into decoded.metadata; a block that
// cannot be carried becomes a note.
void takeExifForCopy(ByteSpan block, const LoadOptions& options, Size uprightFull, Decoded& decoded);

} // namespace vardolin::picture
