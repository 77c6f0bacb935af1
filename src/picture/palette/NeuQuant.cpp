#include "picture/palette/NeuQuant.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace vardolin::picture {
namespace {

constexpr int kChannels = 4;
constexpr int kCycles = 100;      // learning cycles over the sample
constexpr int kNetBiasShift = 4;  // channel values are held × 16
constexpr int kIntBiasShift = 16; // frequency and bias fixed point
constexpr int kIntBias = 1 << kIntBiasShift;
constexpr int kGammaShift = 10;
constexpr int kBetaShift = 10;
constexpr int kBeta = kIntBias >> kBetaShift; // 1/1024
constexpr int kBetaGamma = kIntBias << (kGammaShift - kBetaShift);
constexpr int kRadiusBiasShift = 6;
constexpr int kRadiusBias = 1 << kRadiusBiasShift;
constexpr int kRadiusDecrement = 30;
constexpr int kAlphaBiasShift = 10;
constexpr int kInitialAlpha = 1 << kAlphaBiasShift;
constexpr int kRadBiasShift = 8;
constexpr int kRadBias = 1 << kRadBiasShift;
constexpr int kAlphaRadBiasShift = kAlphaBiasShift + kRadBiasShift;
constexpr int kAlphaRadBias = 1 << kAlphaRadBiasShift;
constexpr double kGamma = 1.8;
// Pixels sampled: every one up to this count, then a growing sampling factor.
constexpr std::size_t kPixelsPerSamplingStep = 262144;
constexpr int kMaxSamplingFactor = 10;
constexpr std::array<int, 4> kPrimes{499, 491, 487, 503};

using Neuron = std::array<double, kChannels>;

class Network {
public:
    explicit Network(int entries)
        : neurons_(std::size_t(entries)), frequency_(std::size_t(entries), double(kIntBias) / entries),
          bias_(std::size_t(entries), 0.0)
    {
        const std::array<int, 256> grey = gammaGreyLevels();
        for (int j = 0; j < entries; ++j) {
            const double level = grey[std::size_t(j * 256 / entries)] << kNetBiasShift;
            Neuron& n = neurons_[std::size_t(j)];
            n[0] = n[1] = n[2] = level;
            n[3] = double((j < 16 ? j * 16 : 255) << kNetBiasShift);
        }
    }

    void learn(const std::uint8_t* bgra, std::size_t byteCount);
    std::vector<PaletteEntry> palette() const;

private:
    static std::array<int, 256> gammaGreyLevels()
    {
        std::array<int, 256> levels{};
        for (int i = 0; i < 256; ++i)
            levels[std::size_t(i)] = int(std::floor(std::pow(i / 255.0, 1.0 / kGamma) * 255.0 + 0.5));
        return levels;
    }

    int contest(const Neuron& target);
    void moveSingle(int alpha, int index, const Neuron& target);
    void moveNeighbours(int radius, int index, const Neuron& target, const std::vector<int>& radiusPower);

    std::vector<Neuron> neurons_;
    std::vector<double> frequency_;
    std::vector<double> bias_;
};

// The winner is the neuron closest to the target less its bias (which favours
// neurons that seldom win); frequencies and biases move towards the winner.
int Network::contest(const Neuron& target)
{
    double bestDistance = 1e30, bestBiasDistance = 1e30;
    int best = 0, bestBiased = 0;
    for (std::size_t i = 0; i < neurons_.size(); ++i) {
        double distance = 0;
        for (int c = 0; c < kChannels; ++c)
            distance += std::fabs(neurons_[i][std::size_t(c)] - target[std::size_t(c)]);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
        const double biasDistance = distance - bias_[i] / double(1 << (kIntBiasShift - kNetBiasShift));
        if (biasDistance < bestBiasDistance) {
            bestBiasDistance = biasDistance;
            bestBiased = int(i);
        }
        const double betaFrequency = frequency_[i] / double(1 << kBetaShift);
        frequency_[i] -= betaFrequency;
        bias_[i] += betaFrequency * double(1 << kGammaShift);
    }
    frequency_[std::size_t(best)] += kBeta;
    bias_[std::size_t(best)] -= kBetaGamma;
    return bestBiased;
}

void Network::moveSingle(int alpha, int index, const Neuron& target)
{
    Neuron& n = neurons_[std::size_t(index)];
    for (int c = 0; c < kChannels; ++c)
        n[std::size_t(c)] -= alpha * (n[std::size_t(c)] - target[std::size_t(c)]) / kInitialAlpha;
}

void Network::moveNeighbours(int radius, int index, const Neuron& target, const std::vector<int>& radiusPower)
{
    const int low = std::max(index - radius, -1);
    const int high = std::min(index + radius, int(neurons_.size()));
    int j = index + 1, k = index - 1, m = 1;
    while (j < high || k > low) {
        const double power = radiusPower[std::size_t(m++)];
        for (int at : {j++, k--}) {
            if (at <= low || at >= high)
                continue;
            Neuron& n = neurons_[std::size_t(at)];
            for (int c = 0; c < kChannels; ++c)
                n[std::size_t(c)] -= power * (n[std::size_t(c)] - target[std::size_t(c)]) / kAlphaRadBias;
        }
    }
}

std::vector<int> radiusPowers(int alpha, int radius)
{
    std::vector<int> powers(std::size_t(radius) + 1);
    for (int i = 0; i <= radius; ++i)
        powers[std::size_t(i)] = alpha * (((radius * radius - i * i) * kRadBias) / std::max(1, radius * radius));
    return powers;
}

void Network::learn(const std::uint8_t* bgra, std::size_t byteCount)
{
    const std::size_t pixels = byteCount / kChannels;
    const int samplingFactor = int(std::min<std::size_t>(1 + pixels / kPixelsPerSamplingStep, kMaxSamplingFactor));
    const int alphaDecrement = 30 + (samplingFactor - 1) / 3;
    const std::size_t samplePixels = byteCount / std::size_t(kChannels * samplingFactor);
    const std::size_t delta = std::max<std::size_t>(1, samplePixels / kCycles);
    int alpha = kInitialAlpha;
    int radiusBiased = int(neurons_.size() >> 3) * kRadiusBias;
    int radius = radiusBiased >> kRadiusBiasShift;
    if (radius <= 1)
        radius = 0;
    std::vector<int> powers = radiusPowers(alpha, radius);

    std::size_t step = std::size_t(kChannels) * std::size_t(kPrimes.back());
    for (int prime : kPrimes) {
        if (byteCount % std::size_t(prime) != 0) {
            step = std::size_t(kChannels) * std::size_t(prime);
            break;
        }
    }

    std::size_t position = 0;
    for (std::size_t i = 0; i < samplePixels;) {
        const std::uint8_t* p = bgra + position;
        const Neuron target{double(p[0] << kNetBiasShift), double(p[1] << kNetBiasShift), double(p[2] << kNetBiasShift),
                            double(p[3] << kNetBiasShift)};
        const int winner = contest(target);
        moveSingle(alpha, winner, target);
        if (radius > 0)
            moveNeighbours(radius, winner, target, powers);
        position = (position + step) % byteCount;
        if (++i % delta == 0) {
            alpha -= alpha / alphaDecrement;
            radiusBiased -= radiusBiased / kRadiusDecrement;
            radius = radiusBiased >> kRadiusBiasShift;
            if (radius <= 1)
                radius = 0;
            powers = radiusPowers(alpha, radius);
        }
    }
}

std::vector<PaletteEntry> Network::palette() const
{
    std::vector<PaletteEntry> entries;
    entries.reserve(neurons_.size());
    for (const Neuron& n : neurons_) {
        std::array<std::uint8_t, kChannels> bytes{};
        for (int c = 0; c < kChannels; ++c) {
            const long value = std::lround(n[std::size_t(c)] / double(1 << kNetBiasShift));
            bytes[std::size_t(c)] = std::uint8_t(std::clamp(value, 0L, 255L));
        }
        entries.push_back(PaletteEntry{bytes[0], bytes[1], bytes[2], bytes[3]});
    }
    return entries;
}

} // namespace

std::vector<PaletteEntry> learnPalette(const std::uint8_t* bgra, std::size_t byteCount, int entries)
{
    Network network(entries);
    if (byteCount >= kChannels)
        network.learn(bgra, byteCount);
    return network.palette();
}

} // namespace vardolin::picture
