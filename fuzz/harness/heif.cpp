// The HEIF decoder on its own, without the probe in front: libheif's
// primary image with its rotation and cropping and its sizes held to the
// budget, the reduction of deep samples and the streaming average. libheif
// and its codecs are not built for coverage, so the fuzzer steers by our
// code; a fault inside them still shows as a crash, a leak or an allocation
// over the limit, which the program's decode process contains (such inputs
// are kept under tests/data/fuzz-regressions/sandboxed/).

#include "picture/formats/Heif.h"
#include "StoreCheck.h"

#include <cstdlib>

using namespace vardolin::picture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    LoadOptions options;
    options.limits.pixelBudget = std::uint64_t(1) << 22;
    // The last byte picks shrink-on-load, so the corpus files stay valid files.
    const std::uint8_t variant = size > 0 ? data[size - 1] : 0;
    if (variant & 1)
        options.targetSizeFor = [](Size full) { return Size{full.width / 3 + 1, full.height / 3 + 1}; };
    const Result<Decoded> result = decodeHeif({data, size}, options);
    if (result.ok())
        vardolin::fuzz::checkStore(result->picture);
    else if (result.error().empty())
        std::abort();
    return 0;
}
