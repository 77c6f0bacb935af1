#include "picture/palette/FloydSteinberg.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace vardolin::picture {
namespace {

constexpr int kChannels = 4;
// Errors larger than this are halved before they spread, so a single pixel far
// from every entry does not streak across the row.
constexpr int kErrorLimit = 128;

int channel(const PaletteEntry& entry, int c)
{
    switch (c) {
    case 0: return entry.blue;
    case 1: return entry.green;
    case 2: return entry.red;
    default: return entry.alpha;
    }
}

} // namespace

FloydSteinberg::FloydSteinberg(std::vector<PaletteEntry> palette, std::int32_t width)
    : palette_(std::move(palette)), byGreen_(palette_.size()), width_(width),
      current_((std::size_t(width) + 2) * kChannels, 0), next_((std::size_t(width) + 2) * kChannels, 0)
{
    std::iota(byGreen_.begin(), byGreen_.end(), 0);
    std::stable_sort(byGreen_.begin(), byGreen_.end(),
                     [this](int a, int b) { return palette_[std::size_t(a)].green < palette_[std::size_t(b)].green; });
}

std::uint8_t FloydSteinberg::nearest(const int* bgra) const
{
    // Start at the entry with the closest green and walk both ways until the
    // green difference alone exceeds the best distance found.
    const auto start = std::lower_bound(byGreen_.begin(), byGreen_.end(), bgra[1], [this](int index, int green) {
        return palette_[std::size_t(index)].green < green;
    });
    int best = 0;
    int bestDistance = 1 << 30;
    auto consider = [&](int index) {
        const PaletteEntry& entry = palette_[std::size_t(index)];
        const int distance = std::abs(entry.blue - bgra[0]) + std::abs(entry.green - bgra[1])
                             + std::abs(entry.red - bgra[2]) + std::abs(entry.alpha - bgra[3]);
        if (distance < bestDistance || (distance == bestDistance && index < best)) {
            bestDistance = distance;
            best = index;
        }
    };
    for (auto up = start; up != byGreen_.end() && palette_[std::size_t(*up)].green - bgra[1] <= bestDistance; ++up)
        consider(*up);
    for (auto down = start; down != byGreen_.begin();) {
        --down;
        if (bgra[1] - palette_[std::size_t(*down)].green > bestDistance)
            break;
        consider(*down);
    }
    return std::uint8_t(best);
}

void FloydSteinberg::mapRow(const std::uint8_t* bgra, std::uint8_t* indices)
{
    std::fill(next_.begin(), next_.end(), 0);
    for (std::int32_t x = 0; x < width_; ++x) {
        const std::size_t at = (std::size_t(x) + 1) * kChannels;
        int wanted[kChannels];
        for (int c = 0; c < kChannels; ++c)
            wanted[c] = std::clamp(
                bgra[std::size_t(x) * kChannels + std::size_t(c)] + current_[at + std::size_t(c)] / 16, 0, 255);
        const std::uint8_t index = nearest(wanted);
        indices[x] = index;

        // Colour errors count as much as the pixel is opaque: the colour of a
        // transparent pixel is never seen.
        int error[kChannels];
        int largest = 0;
        for (int c = 0; c < kChannels; ++c) {
            error[c] = wanted[c] - channel(palette_[index], c);
            if (c < 3)
                error[c] = error[c] * wanted[3] / 255;
            largest = std::max(largest, std::abs(error[c]));
        }
        for (; largest > kErrorLimit; largest /= 2) {
            for (int& e : error)
                e /= 2;
        }
        for (int c = 0; c < kChannels; ++c) {
            const std::size_t cc = std::size_t(c);
            current_[at + kChannels + cc] += error[c] * 7;
            next_[at - kChannels + cc] += error[c] * 3;
            next_[at + cc] += error[c] * 5;
            next_[at + kChannels + cc] += error[c];
        }
    }
    current_.swap(next_);
}

} // namespace vardolin::picture
