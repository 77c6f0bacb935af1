// The Exif cleaning for a copy: any bytes as the Exif block a JPEG, HEIF or
// WebP file holds, through libexif's reader and writer and our changes in
// between (thumbnail, maker note, GPS, orientation, sizes). libexif is
// Debian's build, not instrumented: the fuzzer steers by our code, and a
// fault inside the library shows as a crash, a leak or a sanitizer report.
// What comes out must be a block a copy can carry, and so must cleaning it
// again; from then on cleaning gives it back unchanged. (The first re-layout
// may still order value data differently from the source's own layout: libexif
// writes the data of entries in the order it meets them, which a cleaned block
// can change once.)

#include "picture/metadata/ExifForCopy.h"

#include <cstdlib>
#include <cstring>

using namespace vardolin::picture;

namespace {

bool carriable(const std::vector<std::uint8_t>& block)
{
    const bool tiff =
        block.size() >= 8 && (std::memcmp(block.data(), "II*\0", 4) == 0 || std::memcmp(block.data(), "MM\0*", 4) == 0);
    return tiff && block.size() <= Metadata::kMaxExifBytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The last byte picks the variant, so the corpus files stay valid blocks.
    const std::uint8_t variant = size > 0 ? data[size - 1] : 0;
    ExifCleaning how;
    how.keepLocation = (variant & 1) != 0;
    how.copySize = (variant & 2) != 0 ? Size{70000, 3} : Size{1200, 800};
    const auto cleaned = cleanExif({data, size}, how);
    if (!cleaned.ok()) {
        if (cleaned.error().empty())
            std::abort();
        return 0;
    }
    const std::vector<std::uint8_t>& block = cleaned.value();
    if (block.empty())
        return 0;
    if (!carriable(block))
        __builtin_trap();
    const auto again = cleanExif({block.data(), block.size()}, how);
    if (!again.ok() || !carriable(again.value()))
        __builtin_trap();
    const auto third = cleanExif({again.value().data(), again.value().size()}, how);
    if (!third.ok() || third.value() != again.value())
        __builtin_trap();
    return 0;
}
