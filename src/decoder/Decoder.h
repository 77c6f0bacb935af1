#pragma once
// The decode process: started by the run with the pixel budget it holds
// pictures to, it closes itself in (Sandbox.h) and answers requests on its
// socket (Serve.h) until the run closes it.
//   vardolin-decode --parent PID --pixel-budget N --max-side N

#include "decoder/Serve.h"

namespace vardolin::decoder {

int runDecoder(int argc, char** argv, BeforeDecoding beforeDecoding);

} // namespace vardolin::decoder
