#include "picture/scale/MitchellResampler.h"

#include <cmath>
#include <cstddef>

namespace vardolin::picture {
namespace {

constexpr int kChannels = 4;

std::uint8_t toByte(double value)
{
    const auto truncated = static_cast<long long>(value + 0.5);
    return std::uint8_t(truncated < 0 ? 0 : truncated > 255 ? 255 : truncated);
}

// Columns first: each destination row is a weighted sum of source rows.
void verticalPass(const ConstPixelRect& source, const PixelRect& destination, const MitchellContributions& table)
{
    const std::size_t rowBytes = std::size_t(source.width) * kChannels;
    std::vector<double> sums(rowBytes);
    for (std::int32_t i = 0; i < destination.height; ++i) {
        std::fill(sums.begin(), sums.end(), 0.0);
        const double* weights = table.weightsOf(i);
        for (std::int32_t k = table.first[std::size_t(i)]; k <= table.last[std::size_t(i)]; ++k) {
            const double weight = weights[k - table.first[std::size_t(i)]];
            const std::uint8_t* row = source.data + std::size_t(k) * std::size_t(source.stride);
            for (std::size_t x = 0; x < rowBytes; ++x)
                sums[x] += row[x] * weight;
        }
        std::uint8_t* out = destination.data + std::size_t(i) * std::size_t(destination.stride);
        for (std::size_t x = 0; x < rowBytes; ++x)
            out[x] = toByte(sums[x]);
    }
}

// Rows: each destination pixel is a weighted sum of source pixels in its row.
void horizontalPass(const ConstPixelRect& source, const PixelRect& destination, const MitchellContributions& table)
{
    for (std::int32_t y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.data + std::size_t(y) * std::size_t(source.stride);
        std::uint8_t* out = destination.data + std::size_t(y) * std::size_t(destination.stride);
        for (std::int32_t i = 0; i < destination.width; ++i) {
            const double* weights = table.weightsOf(i);
            double sums[kChannels] = {};
            for (std::int32_t k = table.first[std::size_t(i)]; k <= table.last[std::size_t(i)]; ++k) {
                const double weight = weights[k - table.first[std::size_t(i)]];
                for (int c = 0; c < kChannels; ++c)
                    sums[c] += in[std::size_t(k) * kChannels + std::size_t(c)] * weight;
            }
            for (int c = 0; c < kChannels; ++c)
                out[std::size_t(i) * kChannels + std::size_t(c)] = toByte(sums[c]);
        }
    }
}

} // namespace

double mitchellFilter(double x)
{
    if (x < 1.0)
        return (7.0 / 6.0) * x * x * x - 2.0 * x * x + 8.0 / 9.0;
    if (x < 2.0)
        return -(7.0 / 18.0) * x * x * x + 2.0 * x * x - (10.0 / 3.0) * x + 16.0 / 9.0;
    return 0.0;
}

MitchellContributions mitchellContributions(std::int32_t n, std::int32_t m)
{
    const double scale = double(m) / double(n);
    double support = 2.0;
    double stretch = 1.0;
    if (scale < 1.0) {
        support = 2.0 / scale;
        stretch = scale;
    }
    MitchellContributions table;
    table.room = 2 * int(std::ceil(support)) + 1;
    table.first.resize(std::size_t(m));
    table.last.resize(std::size_t(m));
    table.weights.assign(std::size_t(m) * std::size_t(table.room), 0.0);
    for (std::int32_t i = 0; i < m; ++i) {
        const double centre = (i + 0.5) / scale - 0.5;
        auto first = static_cast<std::int32_t>(std::floor(centre - support));
        auto last = static_cast<std::int32_t>(std::ceil(centre + support));
        if (first < 0)
            first = 0;
        if (last > n - 1)
            last = n - 1;
        if (last - first + 1 > table.room)
            first += 1;
        double* weights = table.weights.data() + std::size_t(i) * std::size_t(table.room);
        double sum = 0.0;
        for (std::int32_t k = first; k <= last; ++k) {
            const double x = std::fabs((centre - k) * stretch);
            weights[k - first] = mitchellFilter(x) * stretch;
            sum += weights[k - first];
        }
        if (sum > 0.0 && sum != 1.0) {
            for (std::int32_t k = first; k <= last; ++k)
                weights[k - first] /= sum;
        }
        table.first[std::size_t(i)] = first;
        table.last[std::size_t(i)] = last;
    }
    return table;
}

void mitchellResample(const ConstPixelRect& source, const PixelRect& destination)
{
    const std::int32_t sw = source.width, sh = source.height;
    const std::int32_t dw = destination.width, dh = destination.height;
    // Sized for the rows-first order; the columns-first order is only chosen
    // when its intermediate (sw × dh) is smaller.
    std::vector<std::uint8_t> intermediate(std::size_t(dw) * std::size_t(sh) * kChannels);
    // The products are taken in 64 bits so that no size can overflow them.
    if (std::int64_t(dh) * sw < std::int64_t(dw) * sh) {
        const PixelRect middle{intermediate.data(), sw, dh, sw * kChannels};
        verticalPass(source, middle, mitchellContributions(sh, dh));
        horizontalPass({middle.data, sw, dh, middle.stride}, destination, mitchellContributions(sw, dw));
    } else {
        const PixelRect middle{intermediate.data(), dw, sh, dw * kChannels};
        horizontalPass(source, middle, mitchellContributions(sw, dw));
        verticalPass({middle.data, dw, sh, middle.stride}, destination, mitchellContributions(sh, dh));
    }
}

} // namespace vardolin::picture
