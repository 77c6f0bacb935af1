// One copy's picture from a file's bytes: load, scale, colours.

#include "picture/Reduce.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vardolin::picture {
namespace {

std::int32_t longSideFor(std::int64_t shortSide, std::int32_t longSide, std::int32_t otherSide)
{
    const float ratio = float(double(longSide) / double(otherSide));
    const double side = std::nearbyint(double(shortSide) * double(ratio)); // ties to even
    if (!std::isfinite(side) || side > double(std::numeric_limits<std::int32_t>::max()) || side < 0)
        return 0;
    return std::int32_t(side);
}

} // namespace

Size reducedSize(Size full, std::int64_t shortSide)
{
    if (full.width <= 0 || full.height <= 0)
        return {};
    const auto side = std::int32_t(std::clamp<std::int64_t>(shortSide, 0, std::numeric_limits<std::int32_t>::max()));
    if (full.width > full.height)
        return {longSideFor(side, full.width, full.height), side};
    return {side, longSideFor(side, full.height, full.width)};
}

Reduced reduceForCopy(ByteSpan bytes, const ReduceRequest& request, ColourCache& cache)
{
    LoadOptions load;
    load.limits = request.limits;
    load.targetSizeFor = [shortSide = request.shortSide](Size full) { return reducedSize(full, shortSide); };
    load.applyExifOrientation = request.applyExifOrientation;
    load.metadata = request.metadata;
    load.colourCache = &cache;
    load.beforeDecodingPixels = request.beforeDecodingPixels;
    Reduced reduced;
    auto loaded = decodePicture(bytes.data, bytes.size, load);
    if (!loaded) {
        reduced.failed = Reduced::Failed::Load;
        reduced.reason = loaded.error();
        return reduced;
    }
    reduced.decoded = std::move(loaded).value();
    Picture& picture = reduced.decoded.picture;
    if (picture.fullSize.width <= 0 || picture.fullSize.height <= 0)
        picture.fullSize = {picture.width, picture.height};
    reduced.scaleTo = reducedSize(picture.fullSize, request.shortSide);
    const auto scaled =
        scalePicture(picture, reduced.scaleTo.width, reduced.scaleTo.height, ScaleMode::Smooth, request.limits);
    if (!scaled) {
        reduced.failed = Reduced::Failed::Scale;
        reduced.reason = scaled.error();
        reduced.decoded = {};
        return reduced;
    }
    // After scaling, so the fewest pixels go through the transform.
    toSrgb(picture, cache, reduced.decoded.notes);
    return reduced;
}

} // namespace vardolin::picture
