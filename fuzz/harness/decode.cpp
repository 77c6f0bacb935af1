// Every decoder through the whole load path: icon probe, decoder table, pixel
// budget, Exif orientation and shrink-on-load. A decode may fail; it must fail
// cleanly, and a success must hand back a store that matches its sizes.

#include "picture/Picture.h"

#include <cstdlib>

namespace {

using namespace vardolin::picture;

void checkStore(const Picture& picture)
{
    if (picture.format == Format::Icon)
        return;
    if (picture.width <= 0 || picture.height <= 0 || (picture.depth != 24 && picture.depth != 32))
        std::abort();
    if (picture.stride < strideFor(picture.width, picture.depth)
        || picture.pixels.size() < std::size_t(picture.stride) * std::size_t(picture.height))
        std::abort();
    if (picture.fullSize.width < picture.width && picture.fullSize.height < picture.height)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A small budget keeps each run fast and inside the fuzzer's memory limit;
    // the budget check itself is the same code at any size.
    LoadOptions options;
    options.limits.pixelBudget = std::uint64_t(1) << 22;
    // The last byte picks the load variant, so the corpus files stay valid files.
    const std::uint8_t variant = size > 0 ? data[size - 1] : 0;
    options.applyExifOrientation = (variant & 1) == 0;
    if (variant & 2) {
        options.targetSizeFor = [](Size full) { return Size{full.width / 5 + 1, full.height / 5 + 1}; };
    }
    const Result<Picture> result = decodePicture(data, size, options);
    if (result.ok())
        checkStore(result.value());
    else if (result.error().empty())
        std::abort(); // a failure must say why, for the run log
    return 0;
}
