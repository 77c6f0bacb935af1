#pragma once
// Smooth scaling of 32-bit pictures with the Mitchell–Netravali cubic
// (B = C = 1/3; Mitchell and Netravali, "Reconstruction Filters in Computer
// Graphics", SIGGRAPH 1988). Each of the four channels, alpha included, is
// filtered on its own. The arithmetic is fixed, since it decides the bytes of
// every copy made from a picture with alpha: keep it exactly as it is.

#include "picture/scale/AreaAverageScaler.h"

#include <cstdint>
#include <vector>

namespace vardolin::picture {

// Taps and weights of one pass from n source samples to m destination samples.
struct MitchellContributions {
    int room = 0; // weights held per destination sample
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> last;
    std::vector<double> weights; // room per destination sample, tap first..last

    const double* weightsOf(std::int32_t i) const { return weights.data() + std::size_t(i) * std::size_t(room); }
};

double mitchellFilter(double x);
MitchellContributions mitchellContributions(std::int32_t n, std::int32_t m);

// Scales four-channel pixels.
void mitchellResample(const ConstPixelRect& source, const PixelRect& destination);

} // namespace vardolin::picture
