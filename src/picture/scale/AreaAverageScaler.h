#pragma once
// Smooth scaling of 24-bit pictures: each destination pixel is the
// area-weighted mean of the source pixels it covers (partial pixels at the
// edges count with their exact covered fraction); along an axis that grows,
// neighbouring source pixels are interpolated linearly.

#include <cstdint>
#include <memory>

namespace vardolin::picture {

struct PixelRect {
    std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
};

struct ConstPixelRect {
    const std::uint8_t* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
};

// Scales the whole source onto the whole destination; both have the same
// number of interleaved 8-bit channels per pixel. Allocates only one row of
// accumulators and the two weight tables.
void areaAverageScale(const ConstPixelRect& source, const PixelRect& destination, int channels);

// How a stored picture lies in the upright one. Stored and upright
// coordinates count from the top-left corner:
//   not transposed: upright x = stored x, upright y = stored y;
//   transposed:     upright x = stored y, upright y = stored x;
// each stored axis counted from its far end when it is mirrored.
struct StoredTurn {
    bool transposed = false;
    bool mirrorX = false; // the stored x axis runs backwards in the upright picture
    bool mirrorY = false; // the stored y axis runs backwards in the upright picture
};

// The area average for a picture whose 3-channel rows arrive one at a time,
// top row first, in the orientation the file stores them: nothing but two
// rows of accumulators is held. The result stays in that stored orientation
// (sides swapped when transposed), and once turned upright holds the very
// bytes areaAverageScale gives for the upright picture, since the weights are
// those of the upright axes and every sum is exact.
// Only shrinks (or keeps) each side: uprightDestination fits in the upright
// source.
class StreamingAreaAverage {
public:
    // destination: the bottom-up store to fill, of the stored-orientation
    // size (storedDestinationSize).
    StreamingAreaAverage(std::int32_t storedWidth, std::int32_t storedHeight, std::int32_t uprightWidth,
                         std::int32_t uprightHeight, StoredTurn turn, const PixelRect& destination);
    ~StreamingAreaAverage();
    StreamingAreaAverage(const StreamingAreaAverage&) = delete;
    StreamingAreaAverage& operator=(const StreamingAreaAverage&) = delete;

    // The next stored row, width × 3 bytes.
    void addRow(const std::uint8_t* row);
    // Rows still missing count as black, as in a store that was never filled.
    void finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// True when the area average only shrinks: each side of the new size is at
// most the old one, and neither is zero.
constexpr bool onlyShrinks(std::int32_t width, std::int32_t height, std::int32_t newWidth, std::int32_t newHeight)
{
    return newWidth > 0 && newHeight > 0 && newWidth <= width && newHeight <= height;
}

} // namespace vardolin::picture
