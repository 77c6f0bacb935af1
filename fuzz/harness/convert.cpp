// One conversion as the batch run does it: load with shrink-on-load, scale,
// bring the colours to sRGB, save in one of the target formats and depths to
// a scratch file.

#include "LeftToHeifHarness.h"
#include "ScratchFile.h"
#include "picture/Colour.h"
#include "picture/Picture.h"

#include <algorithm>
#include <array>

namespace {

using namespace vardolin::picture;

struct Choice {
    Format format;
    int depth;
};

constexpr std::array<Choice, 11> kChoices{{
    {Format::Jpeg, -1},
    {Format::Jpeg, 24},
    {Format::Png, -1},
    {Format::Png, 8},
    {Format::Png, 32},
    {Format::Bmp, -1},
    {Format::Bmp, 1},
    {Format::Bmp, 4},
    {Format::Bmp, 8},
    {Format::Webp, -1},
    {Format::Webp, 24},
}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (vardolin::fuzz::leftToHeifHarness(data, size))
        return 0;
    static const vardolin::fuzz::ScratchFile target(".out");
    const std::uint8_t variant = size > 0 ? data[size - 1] : 0;
    const int divisor = 2 + (variant >> 4);

    ColourCache colourCache;
    LoadOptions options;
    options.colourCache = &colourCache;
    options.limits.pixelBudget = std::uint64_t(1) << 20;
    options.targetSizeFor = [divisor](Size full) {
        return Size{std::max(1, full.width / divisor), std::max(1, full.height / divisor)};
    };
    Result<Decoded> loaded = decodePicture(data, size, options);
    if (!loaded.ok() || loaded->picture.format == Format::Icon)
        return 0;

    Picture& picture = loaded->picture;
    std::int32_t width = std::max(1, picture.fullSize.width / divisor);
    std::int32_t height = std::max(1, picture.fullSize.height / divisor);
    // Palette learning costs about a microsecond a pixel even optimised, many
    // times that under the sanitizers: small copies keep each run well inside
    // the time limit, while the scalers still see every ratio.
    while (std::int64_t(width) * height > 16384) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    const ScaleMode mode = (variant & 1) ? ScaleMode::Raw : ScaleMode::Smooth;
    if (!scalePicture(picture, width, height, mode))
        return 0;
    toSrgb(picture, colourCache, loaded->notes);
    const Choice choice = kChoices[(variant >> 1) % kChoices.size()];
    const Result<void> saved = savePicture(picture, target.path(), choice.format, variant % 11, choice.depth);
    if (!saved.ok())
        return 0;

    // What was written must read back at the size it was scaled to.
    const Result<Decoded> reread = loadPicture(target.path());
    if (!reread.ok() || reread->picture.width != width || reread->picture.height != height)
        __builtin_trap();
    return 0;
}
