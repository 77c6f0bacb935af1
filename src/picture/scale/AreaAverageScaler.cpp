#include "picture/scale/AreaAverageScaler.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace vardolin::picture {
namespace {

// Weights are fixed point with this sum, so that a constant picture stays
// exactly constant and no division is needed per pixel.
constexpr std::uint32_t kWeightOne = 1u << 16;

// For every destination sample along one axis: its first source sample and
// its weights (maxTaps per sample, unused ones zero).
struct AxisTable {
    int maxTaps = 0;
    std::vector<std::int32_t> first;
    std::vector<std::int32_t> count;
    std::vector<std::uint32_t> weights;

    const std::uint32_t* weightsOf(std::int32_t i) const
    {
        return weights.data() + std::size_t(i) * std::size_t(maxTaps);
    }
};

// Rounds exact rational weights (numerator / denominator) to fixed point and
// gives the rounding remainder to the largest, so the sum is exactly kWeightOne.
void storeNormalised(const std::int64_t* numerators, int taps, std::int64_t denominator, std::uint32_t* out)
{
    std::int64_t sum = 0;
    int largest = 0;
    for (int k = 0; k < taps; ++k) {
        out[k] = std::uint32_t((numerators[k] * kWeightOne + denominator / 2) / denominator);
        sum += out[k];
        if (numerators[k] > numerators[largest])
            largest = k;
    }
    out[largest] = std::uint32_t(std::int64_t(out[largest]) + std::int64_t(kWeightOne) - sum);
}

// Shrinking n source samples to m: destination i covers [i·n/m, (i+1)·n/m)
// in source units. Scaled by m, every boundary is an integer, so overlaps are exact.
AxisTable areaTable(std::int32_t n, std::int32_t m)
{
    AxisTable table;
    table.maxTaps = int((n + m - 1) / m) + 1;
    table.first.resize(std::size_t(m));
    table.count.resize(std::size_t(m));
    table.weights.assign(std::size_t(m) * std::size_t(table.maxTaps), 0);
    std::vector<std::int64_t> overlaps(std::size_t(table.maxTaps));
    for (std::int32_t i = 0; i < m; ++i) {
        const std::int64_t start = std::int64_t(i) * n;
        const std::int64_t end = start + n;
        const std::int64_t firstSample = start / m;
        const std::int64_t lastSample = (end - 1) / m;
        const int taps = int(lastSample - firstSample + 1);
        for (int k = 0; k < taps; ++k) {
            const std::int64_t sampleStart = (firstSample + k) * m;
            overlaps[std::size_t(k)] = std::min(end, sampleStart + m) - std::max(start, sampleStart);
        }
        table.first[std::size_t(i)] = std::int32_t(firstSample);
        table.count[std::size_t(i)] = taps;
        storeNormalised(overlaps.data(), taps, n, table.weights.data() + std::size_t(i) * std::size_t(table.maxTaps));
    }
    return table;
}

// Growing n samples to m: destination centre (i + 0.5)·n/m − 0.5 in source
// units, interpolated between its two neighbours and held at the edges.
AxisTable linearTable(std::int32_t n, std::int32_t m)
{
    AxisTable table;
    table.maxTaps = 2;
    table.first.resize(std::size_t(m));
    table.count.resize(std::size_t(m));
    table.weights.assign(std::size_t(m) * 2, 0);
    const std::int64_t denominator = 2 * std::int64_t(m);
    for (std::int32_t i = 0; i < m; ++i) {
        const std::int64_t position = std::max<std::int64_t>(0, (2 * std::int64_t(i) + 1) * n - m);
        std::int64_t left = position / denominator;
        std::int64_t fraction = position % denominator;
        if (left >= n - 1) {
            left = n - 1;
            fraction = 0;
        }
        const std::int64_t numerators[2] = {denominator - fraction, fraction};
        table.first[std::size_t(i)] = std::int32_t(left);
        table.count[std::size_t(i)] = fraction == 0 ? 1 : 2;
        storeNormalised(numerators, table.count[std::size_t(i)], denominator,
                        table.weights.data() + std::size_t(i) * 2);
    }
    return table;
}

AxisTable tableFor(std::int32_t n, std::int32_t m)
{
    return m <= n ? areaTable(n, m) : linearTable(n, m);
}

// accumulator (+)= weight · row for a weight below kWeightOne. The 16 × 8-bit
// products go sixteen bytes a step through 16-bit multiplies (low and high
// halves put together into 32 bits) where SSE2 is there, as on every x86-64;
// compilers do not find this themselves and fall back to four-lane 32-bit
// products with shuffles. The sums are the same integers either way.
void accumulateSmall(const std::uint8_t* row, std::uint16_t weight, bool first, std::size_t rowBytes,
                     std::uint32_t* accumulator)
{
    std::size_t x = 0;
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i weights = _mm_set1_epi16(static_cast<short>(weight));
    const __m128i zero = _mm_setzero_si128();
    for (; x + 16 <= rowBytes; x += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        const __m128i left = _mm_unpacklo_epi8(bytes, zero);
        const __m128i right = _mm_unpackhi_epi8(bytes, zero);
        const __m128i leftLow = _mm_mullo_epi16(left, weights), leftHigh = _mm_mulhi_epu16(left, weights);
        const __m128i rightLow = _mm_mullo_epi16(right, weights), rightHigh = _mm_mulhi_epu16(right, weights);
        const __m128i products[4] = {_mm_unpacklo_epi16(leftLow, leftHigh), _mm_unpackhi_epi16(leftLow, leftHigh),
                                     _mm_unpacklo_epi16(rightLow, rightHigh), _mm_unpackhi_epi16(rightLow, rightHigh)};
        for (int i = 0; i < 4; ++i) {
            auto* out = reinterpret_cast<__m128i*>(accumulator + x + std::size_t(4 * i));
            _mm_storeu_si128(out, first ? products[i] : _mm_add_epi32(_mm_loadu_si128(out), products[i]));
        }
    }
#endif
    for (; x < rowBytes; ++x)
        accumulator[x] = (first ? 0 : accumulator[x]) + std::uint32_t(weight) * row[x];
}

// accumulator = weight · row (first row of a destination row) or += (the
// others). Only a destination that takes a single whole source sample has
// the full weight kWeightOne; every other weight fits in 16 bits.
void accumulate(const std::uint8_t* row, std::uint32_t weight, bool first, std::size_t rowBytes,
                std::uint32_t* accumulator)
{
    if (weight < kWeightOne) {
        accumulateSmall(row, std::uint16_t(weight), first, rowBytes, accumulator);
        return;
    }
    for (std::size_t x = 0; x < rowBytes; ++x)
        accumulator[x] = (first ? 0 : accumulator[x]) + (std::uint32_t(row[x]) << 16);
}

// accumulator = Σ weight · source row, over the rows one destination row takes.
void accumulateRows(const ConstPixelRect& source, const AxisTable& rows, std::int32_t destinationRow,
                    std::size_t rowBytes, std::uint32_t* accumulator)
{
    const std::int32_t first = rows.first[std::size_t(destinationRow)];
    const std::int32_t taps = rows.count[std::size_t(destinationRow)];
    const std::uint32_t* weights = rows.weightsOf(destinationRow);
    for (std::int32_t k = 0; k < taps; ++k)
        accumulate(source.data + std::size_t(first + k) * std::size_t(source.stride), weights[k], k == 0, rowBytes,
                   accumulator);
}

// One destination row from the accumulated row: Σ weight · accumulator, then
// back from fixed point (two factors of kWeightOne) with rounding.
// Taps > 0: every destination sample runs over that many taps, the unused
// ones with weight zero (the accumulator has as many zeros after its end), so
// the loops unroll; 0: each runs over its own count.
template <int Channels, int Taps>
void reduceColumnsWith(const std::uint32_t* accumulator, const AxisTable& columns, std::int32_t destinationWidth,
                       std::uint8_t* out)
{
    constexpr int shift = 32;
    constexpr std::uint64_t half = std::uint64_t(1) << (shift - 1);
    for (std::int32_t x = 0; x < destinationWidth; ++x) {
        const std::uint32_t* in = accumulator + std::size_t(columns.first[std::size_t(x)]) * Channels;
        const std::uint32_t* weights = columns.weightsOf(x);
        const std::int32_t taps = Taps > 0 ? Taps : columns.count[std::size_t(x)];
        std::uint64_t sums[Channels] = {};
        for (std::int32_t k = 0; k < taps; ++k) {
            const std::uint64_t weight = weights[k];
            for (int c = 0; c < Channels; ++c)
                sums[c] += weight * in[std::size_t(k) * Channels + std::size_t(c)];
        }
        for (int c = 0; c < Channels; ++c)
            out[std::size_t(x) * Channels + std::size_t(c)] = std::uint8_t((sums[c] + half) >> shift);
    }
}

// Fixed tap counts the loops unroll for; wider tables take the general loop.
constexpr int kMostUnrolledTaps = 5;

template <int Channels>
void reduceColumns(const std::uint32_t* accumulator, const AxisTable& columns, std::int32_t destinationWidth,
                   std::uint8_t* out)
{
    switch (columns.maxTaps) {
    case 2: reduceColumnsWith<Channels, 2>(accumulator, columns, destinationWidth, out); break;
    case 3: reduceColumnsWith<Channels, 3>(accumulator, columns, destinationWidth, out); break;
    case 4: reduceColumnsWith<Channels, 4>(accumulator, columns, destinationWidth, out); break;
    case 5: reduceColumnsWith<Channels, 5>(accumulator, columns, destinationWidth, out); break;
    default: reduceColumnsWith<Channels, 0>(accumulator, columns, destinationWidth, out); break;
    }
}

// Room for one row of accumulators plus the zeros the unrolled reduction may
// read past its end.
std::size_t accumulatorSize(std::size_t rowBytes, int channels)
{
    return rowBytes + std::size_t(kMostUnrolledTaps) * std::size_t(channels);
}

template <int Channels> void scaleWith(const ConstPixelRect& source, const PixelRect& destination)
{
    const AxisTable columns = tableFor(source.width, destination.width);
    const AxisTable rows = tableFor(source.height, destination.height);
    const std::size_t rowBytes = std::size_t(source.width) * Channels;
    std::vector<std::uint32_t> accumulator(accumulatorSize(rowBytes, Channels));
    for (std::int32_t y = 0; y < destination.height; ++y) {
        accumulateRows(source, rows, y, rowBytes, accumulator.data());
        reduceColumns<Channels>(accumulator.data(), columns, destination.width,
                                destination.data + std::size_t(y) * std::size_t(destination.stride));
    }
}

// The same weights with both axes counted from the far end: destination
// m-1-i takes the samples of destination i, mirrored. Reversing keeps every
// weight of every pair, so sums over it are the sums over the original.
AxisTable reversed(const AxisTable& table, std::int32_t n)
{
    const std::int32_t m = std::int32_t(table.first.size());
    AxisTable out;
    out.maxTaps = table.maxTaps;
    out.first.resize(std::size_t(m));
    out.count.resize(std::size_t(m));
    out.weights.assign(table.weights.size(), 0);
    for (std::int32_t i = 0; i < m; ++i) {
        const std::int32_t from = m - 1 - i;
        const std::int32_t taps = table.count[std::size_t(from)];
        out.first[std::size_t(i)] = n - table.first[std::size_t(from)] - taps;
        out.count[std::size_t(i)] = taps;
        const std::uint32_t* weights = table.weightsOf(from);
        std::uint32_t* target = out.weights.data() + std::size_t(i) * std::size_t(out.maxTaps);
        for (std::int32_t k = 0; k < taps; ++k)
            target[k] = weights[taps - 1 - k];
    }
    return out;
}

} // namespace

struct StreamingAreaAverage::State {
    AxisTable columns; // along the stored x axis
    AxisTable rows;    // along the stored y axis, top first
    PixelRect destination;
    std::size_t rowBytes = 0;
    std::int32_t storedHeight = 0;
    std::int32_t nextSourceRow = 0;
    std::int32_t nextDestinationRow = 0; // top first
    // Destination rows j and j+1 are open at most at once (a source row
    // meets at most two destination rows when the picture shrinks).
    std::vector<std::uint32_t> accumulators[2];
};

StreamingAreaAverage::StreamingAreaAverage(std::int32_t storedWidth, std::int32_t storedHeight,
                                           std::int32_t uprightWidth, std::int32_t uprightHeight, StoredTurn turn,
                                           const PixelRect& destination)
    : state_(std::make_unique<State>())
{
    State& s = *state_;
    const std::int32_t sourceUprightWidth = turn.transposed ? storedHeight : storedWidth;
    const std::int32_t sourceUprightHeight = turn.transposed ? storedWidth : storedHeight;
    // The upright tables exactly as areaAverageScale builds them: columns
    // left to right, rows in the bottom-up order of the store.
    AxisTable uprightX = tableFor(sourceUprightWidth, uprightWidth);
    AxisTable uprightY = reversed(tableFor(sourceUprightHeight, uprightHeight), sourceUprightHeight);
    AxisTable& alongStoredX = turn.transposed ? uprightY : uprightX;
    AxisTable& alongStoredY = turn.transposed ? uprightX : uprightY;
    s.columns = turn.mirrorX ? reversed(alongStoredX, storedWidth) : std::move(alongStoredX);
    s.rows = turn.mirrorY ? reversed(alongStoredY, storedHeight) : std::move(alongStoredY);
    s.destination = destination;
    s.rowBytes = std::size_t(storedWidth) * 3;
    s.storedHeight = storedHeight;
    s.accumulators[0].resize(accumulatorSize(s.rowBytes, 3));
    s.accumulators[1].resize(accumulatorSize(s.rowBytes, 3));
}

StreamingAreaAverage::~StreamingAreaAverage() = default;

void StreamingAreaAverage::addRow(const std::uint8_t* row)
{
    State& s = *state_;
    const std::int32_t source = s.nextSourceRow++;
    const std::int32_t destinationRows = std::int32_t(s.rows.first.size());
    for (std::int32_t j = s.nextDestinationRow; j < destinationRows && j <= s.nextDestinationRow + 1; ++j) {
        const std::int32_t tap = source - s.rows.first[std::size_t(j)];
        if (tap < 0 || tap >= s.rows.count[std::size_t(j)])
            continue;
        std::uint32_t* accumulator = s.accumulators[j & 1].data();
        accumulate(row, s.rows.weightsOf(j)[tap], tap == 0, s.rowBytes, accumulator);
        if (tap + 1 == s.rows.count[std::size_t(j)]) {
            const std::int32_t memoryRow = s.destination.height - 1 - j;
            reduceColumns<3>(accumulator, s.columns, s.destination.width,
                             s.destination.data + std::size_t(memoryRow) * std::size_t(s.destination.stride));
            s.nextDestinationRow = j + 1;
        }
    }
}

void StreamingAreaAverage::finish()
{
    const std::vector<std::uint8_t> black(state_->rowBytes, 0);
    while (state_->nextSourceRow < state_->storedHeight)
        addRow(black.data());
}

void areaAverageScale(const ConstPixelRect& source, const PixelRect& destination, int channels)
{
    if (channels == 4)
        scaleWith<4>(source, destination);
    else
        scaleWith<3>(source, destination);
}

} // namespace vardolin::picture
