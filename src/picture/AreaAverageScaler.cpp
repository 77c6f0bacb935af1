#include "picture/AreaAverageScaler.h"

#include <algorithm>
#include <cstddef>
#include <vector>

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

// accumulator = Σ weight · source row, over the rows one destination row takes.
// The inner loops run over whole rows of bytes so the compiler can vectorise them.
void accumulateRows(const ConstPixelRect& source, const AxisTable& rows, std::int32_t destinationRow,
                    std::size_t rowBytes, std::uint32_t* accumulator)
{
    const std::int32_t first = rows.first[std::size_t(destinationRow)];
    const std::int32_t taps = rows.count[std::size_t(destinationRow)];
    const std::uint32_t* weights = rows.weightsOf(destinationRow);
    {
        const std::uint8_t* row = source.data + std::size_t(first) * std::size_t(source.stride);
        const std::uint32_t weight = weights[0];
        for (std::size_t x = 0; x < rowBytes; ++x)
            accumulator[x] = weight * row[x];
    }
    for (std::int32_t k = 1; k < taps; ++k) {
        const std::uint8_t* row = source.data + std::size_t(first + k) * std::size_t(source.stride);
        const std::uint32_t weight = weights[k];
        for (std::size_t x = 0; x < rowBytes; ++x)
            accumulator[x] += weight * row[x];
    }
}

// One destination row from the accumulated row: Σ weight · accumulator, then
// back from fixed point (two factors of kWeightOne) with rounding.
template <int Channels>
void reduceColumns(const std::uint32_t* accumulator, const AxisTable& columns, std::int32_t destinationWidth,
                   std::uint8_t* out)
{
    constexpr int shift = 32;
    constexpr std::uint64_t half = std::uint64_t(1) << (shift - 1);
    for (std::int32_t x = 0; x < destinationWidth; ++x) {
        const std::uint32_t* in = accumulator + std::size_t(columns.first[std::size_t(x)]) * Channels;
        const std::uint32_t* weights = columns.weightsOf(x);
        const std::int32_t taps = columns.count[std::size_t(x)];
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

template <int Channels> void scaleWith(const ConstPixelRect& source, const PixelRect& destination)
{
    const AxisTable columns = tableFor(source.width, destination.width);
    const AxisTable rows = tableFor(source.height, destination.height);
    const std::size_t rowBytes = std::size_t(source.width) * Channels;
    std::vector<std::uint32_t> accumulator(rowBytes);
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

// row · weight into the accumulator: set by the first row of a destination
// row, added by the others.
void accumulate(const std::uint8_t* row, std::uint32_t weight, bool first, std::size_t rowBytes,
                std::uint32_t* accumulator)
{
    if (first) {
        for (std::size_t x = 0; x < rowBytes; ++x)
            accumulator[x] = weight * row[x];
    } else {
        for (std::size_t x = 0; x < rowBytes; ++x)
            accumulator[x] += weight * row[x];
    }
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
    s.accumulators[0].resize(s.rowBytes);
    s.accumulators[1].resize(s.rowBytes);
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
