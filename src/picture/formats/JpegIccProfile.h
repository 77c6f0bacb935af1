#pragma once
// The ICC profile of a JPEG file: carried in APP2 markers that start with
// "ICC_PROFILE\0", a sequence number (from 1) and the number of markers, as
// many as the profile needs (one marker holds at most 65519 of its bytes).

#include "picture/ByteCursor.h"
#include "picture/Result.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vardolin::picture {

// Joins the profile chunks among the file's APP2 marker bodies in sequence
// order, whatever order the file stores them in. Empty when no marker holds
// a chunk; fails when chunks are missing, repeated or disagree on their
// number.
Result<std::vector<std::uint8_t>> joinIccChunks(std::span<const ByteSpan> app2Markers);

} // namespace vardolin::picture
