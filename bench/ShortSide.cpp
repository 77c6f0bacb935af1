#include "ShortSide.h"

#include <cmath>

namespace vardolin::bench {

picture::Size shortSideSize(picture::Size full, int shortSide)
{
    if (full.width <= 0 || full.height <= 0)
        return full;
    if (full.width > full.height) {
        const float ratio = float(double(full.width) / double(full.height));
        return {std::int32_t(std::nearbyint(double(shortSide) * double(ratio))), shortSide};
    }
    const float ratio = float(double(full.height) / double(full.width));
    return {shortSide, std::int32_t(std::nearbyint(double(shortSide) * double(ratio)))};
}

} // namespace vardolin::bench
