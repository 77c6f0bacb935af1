#include "picture/formats/BmpRunLength.h"

#include <algorithm>
#include <cstring>

namespace vardolin::picture {
namespace {

class RunPainter {
public:
    RunPainter(const BmpLayout& layout, Picture& picture) : layout_(layout), picture_(picture) {}

    // Rows are counted from the bottom, as the file stores them. Writers pad
    // a row whose width is not a multiple of 4 with pixels past its end
    // before the end-of-row mark; those are dropped.
    Result<void> paint(unsigned index)
    {
        if (y_ >= layout_.height)
            return fail("BMP run-length data overruns its rows");
        if (x_ == layout_.width)
            return {};
        if (index >= unsigned(layout_.paletteSize))
            return fail("BMP colour index past the colour table");
        std::memcpy(picture_.row(y_) + 3 * x_, layout_.palette[index].data(), 3);
        ++x_;
        return {};
    }
    void endRow()
    {
        x_ = 0;
        y_ = std::min(y_ + 1, layout_.height); // end marks past the top change nothing
    }
    bool move(int dx, int dy)
    {
        x_ += dx;
        y_ += dy;
        return x_ <= layout_.width && y_ <= layout_.height;
    }
    bool coveredWholePicture() const { return y_ >= layout_.height; }

private:
    const BmpLayout& layout_;
    Picture& picture_;
    std::int32_t x_ = 0;
    std::int32_t y_ = 0;
};

// Index number i of a stretch: 8-bit files have one per byte, 4-bit files two,
// high half first.
unsigned indexAt(const std::uint8_t* bytes, int i, bool fourBit)
{
    if (!fourBit)
        return bytes[i];
    const std::uint8_t byte = bytes[i / 2];
    return i % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

} // namespace

Result<void> decodeBmpRunLength(ByteSpan data, const BmpLayout& layout, Picture& picture)
{
    const bool fourBit = layout.compression == BmpCompression::Rle4;
    RunPainter painter(layout, picture);
    ByteCursor cursor(data);
    for (;;) {
        const auto count = cursor.u8();
        const auto value = cursor.u8();
        if (!value)
            break;
        if (*count > 0) {
            // A run: count pixels of one index (4-bit: two alternating indices).
            const std::uint8_t pair[2] = {*value, *value};
            for (int i = 0; i < *count; ++i)
                VARDOLIN_TRY(painter.paint(indexAt(pair, i % 2, fourBit)));
            continue;
        }
        if (*value == 0) {
            painter.endRow();
        } else if (*value == 1) {
            return {};
        } else if (*value == 2) {
            const auto dx = cursor.u8();
            const auto dy = cursor.u8();
            if (!dy)
                break;
            if (!painter.move(*dx, *dy))
                return fail("BMP run-length move past the picture");
        } else {
            // A literal stretch of value indices, padded to an even byte count.
            const std::size_t length = fourBit ? (*value + 1u) / 2 : *value;
            const auto stretch = cursor.bytes(length + length % 2);
            if (!stretch)
                break;
            for (int i = 0; i < *value; ++i)
                VARDOLIN_TRY(painter.paint(indexAt(stretch->data, i, fourBit)));
        }
    }
    // Data that ends without its end mark is accepted once every row is there.
    if (painter.coveredWholePicture())
        return {};
    return fail("truncated BMP run-length data");
}

} // namespace vardolin::picture
