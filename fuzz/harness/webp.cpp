// The WebP decoder on its own (still pictures, shrink-on-load, the first
// frame of an animation, the profile chunk) and, for what it decodes, the
// WebP encoder: lossy or lossless, with or without alpha, read back at the
// size it was written.

#include "picture/formats/Webp.h"
#include "ScratchFile.h"
#include "StoreCheck.h"

#include <algorithm>
#include <cstdlib>

using namespace vardolin::picture;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const vardolin::fuzz::ScratchFile target(".webp");
    LoadOptions options;
    options.limits.pixelBudget = std::uint64_t(1) << 20;
    const std::uint8_t variant = size > 0 ? data[size - 1] : 0;
    if (variant & 1)
        options.targetSizeFor = [](Size full) { return Size{full.width / 2 + 1, full.height / 2 + 1}; };
    Result<Decoded> result = decodeWebp({data, size}, options);
    if (!result.ok()) {
        if (result.error().empty())
            std::abort();
        return 0;
    }
    Picture& picture = result->picture;
    vardolin::fuzz::checkStore(picture);
    // Encoding costs far more than decoding: small pictures only.
    if (std::int64_t(picture.width) * picture.height > 65536)
        return 0;
    picture.lossless = (variant & 2) != 0;
    if (!savePicture(picture, target.path(), Format::Webp, variant % 11).ok())
        __builtin_trap(); // every decoded picture fits WebP's sides
    const Result<Decoded> reread = loadPicture(target.path());
    if (!reread.ok() || reread->picture.width != picture.width || reread->picture.height != picture.height
        || reread->picture.depth > picture.depth)
        __builtin_trap();
    return 0;
}
