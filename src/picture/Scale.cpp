// scalePicture: checks, a new store of the new size, the scaler for the
// picture's depth and mode, and the swap once everything has worked.

#include "picture/AreaAverageScaler.h"
#include "picture/MitchellResampler.h"
#include "picture/NearestScaler.h"
#include "picture/Picture.h"

#include <algorithm>
#include <new>

namespace vardolin::picture {
namespace {

// The value that keeps a dimension as it is.
constexpr std::int32_t kKeepDimension = -65535;
// A scaled store is held to the same limits as a loaded one.
constexpr std::uint64_t kPixelBudget = std::uint64_t(1) << 28;
constexpr std::int32_t kMaxSide = 65535;

bool hasWholeStore(const Picture& picture)
{
    return picture.stride >= strideFor(picture.width, picture.depth)
           && picture.pixels.size() >= std::size_t(picture.stride) * std::size_t(picture.height);
}

bool scaleInto(const Picture& picture, Picture& scaled, ScaleMode mode)
{
    const ConstPixelRect source{picture.pixels.data(), picture.width, picture.height, picture.stride};
    const PixelRect destination{scaled.pixels.data(), scaled.width, scaled.height, scaled.stride};
    const int bytesPerPixel = picture.depth / 8;
    if (mode == ScaleMode::Raw) {
        nearestScale(source, destination, bytesPerPixel);
        return true;
    }
    if (picture.depth == 32)
        return mitchellResample(source, destination);
    areaAverageScale(source, destination, bytesPerPixel);
    return true;
}

} // namespace

bool scalePicture(Picture& picture, std::int32_t newWidth, std::int32_t newHeight, ScaleMode mode)
{
    if (picture.isIcon || picture.frameCount != 1)
        return false;
    if (newWidth == kKeepDimension)
        newWidth = picture.width;
    if (newHeight == kKeepDimension)
        newHeight = picture.height;
    if (newWidth == picture.width && newHeight == picture.height)
        return true;
    if (picture.width <= 0 || picture.height <= 0 || newWidth <= 0 || newHeight <= 0)
        return false;
    if (newWidth > kMaxSide || newHeight > kMaxSide
        || std::uint64_t(newWidth) * std::uint64_t(newHeight) > kPixelBudget)
        return false;
    // Decoded pictures are 24 or 32 bits; max(24, depth) therefore keeps the depth.
    if ((picture.depth != 24 && picture.depth != 32) || !hasWholeStore(picture))
        return false;

    Picture scaled;
    scaled.width = newWidth;
    scaled.height = newHeight;
    scaled.depth = std::max<std::uint8_t>(24, picture.depth);
    scaled.stride = strideFor(newWidth, scaled.depth);
    try {
        scaled.pixels.assign(std::size_t(scaled.stride) * std::size_t(newHeight), 0);
        if (!scaleInto(picture, scaled, mode))
            return false;
    } catch (const std::bad_alloc&) {
        return false;
    }
    picture.pixels.swap(scaled.pixels);
    picture.width = newWidth;
    picture.height = newHeight;
    picture.stride = scaled.stride;
    picture.depth = scaled.depth;
    return true;
}

} // namespace vardolin::picture
