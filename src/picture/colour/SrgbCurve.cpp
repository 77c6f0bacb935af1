#include "picture/colour/SrgbCurve.h"

#include <array>
#include <cmath>

namespace vardolin::picture {

double srgbEncoded(double linear)
{
    return linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1.0 / 2.4) - 0.055;
}

const std::uint8_t* srgbLevels()
{
    static const auto levels = [] {
        std::array<std::uint8_t, kLinearSteps + 1> table{};
        for (int step = 0; step <= kLinearSteps; ++step)
            table[std::size_t(step)] = std::uint8_t(std::lround(255.0 * srgbEncoded(double(step) / kLinearSteps)));
        return table;
    }();
    return levels.data();
}

} // namespace vardolin::picture
