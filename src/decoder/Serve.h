#pragma once
// The decode process's loop: one request after another from the run, each
// answered with the copy's picture or why there is none.

#include "picture/ByteCursor.h"

namespace vardolin::picture {
class ColourCache;
}

namespace vardolin::decoder {

// Called with each source's bytes before they are decoded; true when it has
// answered on socket itself. Null in the decode process users run; the test
// build's decoder acts on marked bytes with it.
using BeforeDecoding = bool (*)(picture::ByteSpan source, int socket);

// Answers the requests that arrive on socket until the run closes it (0), or
// until a request cannot be read or an answer cannot be sent
// (kExitBrokenSocket). cache keeps the colour transforms from one picture to
// the next.
int serveRequests(int socket, picture::ColourCache& cache, BeforeDecoding beforeDecoding);

} // namespace vardolin::decoder
