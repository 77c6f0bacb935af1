// scalePicture: checks, a new store of the new size, the scaler for the
// picture's depth and mode, and the swap once everything has worked.

#include "picture/Picture.h"
#include "picture/scale/AreaAverageScaler.h"
#include "picture/scale/MitchellResampler.h"
#include "picture/scale/NearestScaler.h"

#include <algorithm>

namespace vardolin::picture {
namespace {

void scaleInto(const Picture& picture, Picture& scaled, ScaleMode mode)
{
    const ConstPixelRect source{picture.pixels.data(), picture.width, picture.height, picture.stride};
    const PixelRect destination{scaled.pixels.data(), scaled.width, scaled.height, scaled.stride};
    const int bytesPerPixel = picture.depth / 8;
    if (mode == ScaleMode::Raw)
        nearestScale(source, destination, bytesPerPixel);
    else if (picture.depth == 32)
        mitchellResample(source, destination);
    else
        areaAverageScale(source, destination, bytesPerPixel);
}

} // namespace

Result<void> scalePicture(Picture& picture, std::int32_t newWidth, std::int32_t newHeight, ScaleMode mode,
                          const Limits& limits)
{
    if (picture.format == Format::Icon)
        return fail("an icon cannot be scaled");
    if (newWidth == picture.width && newHeight == picture.height)
        return {};
    // A scaled store is held to the same limits as a loaded one.
    VARDOLIN_TRY(limits.check(newWidth, newHeight));
    // Decoded pictures are 24 or 32 bits; max(24, depth) therefore keeps the depth.
    if (!picture.hasStore())
        return fail("the picture has no pixels");

    Picture scaled;
    scaled.width = newWidth;
    scaled.height = newHeight;
    scaled.depth = std::max<std::uint8_t>(24, picture.depth);
    scaled.stride = strideFor(newWidth, scaled.depth);
    VARDOLIN_TRY(failOnOutOfMemory([&]() -> Result<void> {
        scaled.pixels.assign(std::size_t(scaled.stride) * std::size_t(newHeight), 0);
        scaleInto(picture, scaled, mode);
        return {};
    }));
    picture.pixels.swap(scaled.pixels);
    picture.width = newWidth;
    picture.height = newHeight;
    picture.stride = scaled.stride;
    picture.depth = scaled.depth;
    return {};
}

} // namespace vardolin::picture
