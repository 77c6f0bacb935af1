#pragma once
// The rows of a picture as the encoders receive them: bottom-up in memory,
// blue-green-red (depth 24) or blue-green-red-alpha (depth 32); and what an
// encoder is asked for besides them.

#include "picture/ByteCursor.h"

#include <cstddef>
#include <cstdint>

namespace vardolin::picture {

struct RowSource {
    const std::uint8_t* pixels = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t stride = 0;
    int depth = 24;
    // The picture came from a lossless file of a format that also has a lossy
    // kind; only the WebP encoder has that choice to make.
    bool lossless = false;

    const std::uint8_t* memoryRow(std::int32_t row) const { return pixels + std::size_t(row) * std::size_t(stride); }
    // Rows counted from the top of the picture, the order files are written in.
    const std::uint8_t* topRow(std::int32_t row) const { return memoryRow(height - 1 - row); }
    int bytesPerPixel() const { return depth / 8; }
};

struct EncodeSettings {
    // The encoder's own quality (the format table's rule has turned the grade
    // into it); formats without a lossy kind ignore it.
    int quality = 70;
    int outputDepth = 24;
    // JPEG: optimised Huffman tables and progressive scans.
    bool optimizeJpeg = false;
    // A TIFF structure of at most Metadata::kMaxExifBytes to embed as it is,
    // where the format carries Exif; empty: none.
    ByteSpan exif{};
};

} // namespace vardolin::picture
