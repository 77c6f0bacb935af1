// Every decoder through the whole load path: icon probe, decoder table
// (BMP, JPEG, PNG, TIFF, WebP; HEIF files are the heif harness's), pixel
// budget, Exif orientation, shrink-on-load and the Exif block made ready for
// a copy. A decode may fail; it must fail cleanly, and a success must hand
// back a store that matches its sizes and an Exif block a copy can carry.

#include "LeftToHeifHarness.h"
#include "StoreCheck.h"
#include "picture/Picture.h"

#include <cstdlib>

namespace {

using namespace vardolin::picture;
using vardolin::fuzz::checkStore;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (vardolin::fuzz::leftToHeifHarness(data, size))
        return 0;
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
    if (variant & 4)
        options.metadata = (variant & 8) ? KeepMetadata::WithLocation : KeepMetadata::WithoutLocation;
    const Result<Decoded> result = decodePicture(data, size, options);
    if (result.ok()) {
        checkStore(result->picture);
        const std::vector<std::uint8_t>& exif = result->metadata.exif;
        if (exif.size() > Metadata::kMaxExifBytes || (!exif.empty() && options.metadata == KeepMetadata::None))
            std::abort();
    } else if (result.error().empty())
        std::abort(); // a failure must say why, for the run log
    return 0;
}
