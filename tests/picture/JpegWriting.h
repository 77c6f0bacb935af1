#pragma once
// JPEG files written in the tests straight through libjpeg (not through our
// encoder): CMYK and YCCK files, and large pictures for shrink-on-load.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <jpeglib.h>
#include <vector>

namespace vardolin::picture::testing {

struct JpegShape {
    int width = 8;
    int height = 8;
    J_COLOR_SPACE input = JCS_RGB;    // JCS_RGB (3 samples) or JCS_CMYK (4 samples)
    J_COLOR_SPACE stored = JCS_YCbCr; // colour space written into the file
    int quality = 90;
};

// Samples of pixel (x, y) from the top-left, into `out` (3 or 4 values).
using SampleFn = std::function<void(int x, int y, std::uint8_t* out)>;

inline std::vector<std::uint8_t> writeJpeg(const JpegShape& shape, const SampleFn& samples)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    const int components = shape.input == JCS_CMYK ? 4 : 3;
    info.image_width = JDIMENSION(shape.width);
    info.image_height = JDIMENSION(shape.height);
    info.input_components = components;
    info.in_color_space = shape.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, shape.stored);
    jpeg_set_quality(&info, shape.quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(std::size_t(shape.width) * components);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < shape.width; ++x)
            samples(x, int(info.next_scanline), &row[std::size_t(x) * components]);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

// The same file with an Exif block holding only the orientation tag.
inline std::vector<std::uint8_t> withOrientation(const std::vector<std::uint8_t>& jpeg, int orientation)
{
    const std::uint8_t app1[] = {0xFF,
                                 0xE1,
                                 0,
                                 34,
                                 'E',
                                 'x',
                                 'i',
                                 'f',
                                 0,
                                 0,
                                 'I',
                                 'I',
                                 42,
                                 0,
                                 8,
                                 0,
                                 0,
                                 0,
                                 1,
                                 0,
                                 0x12,
                                 0x01,
                                 3,
                                 0,
                                 1,
                                 0,
                                 0,
                                 0,
                                 std::uint8_t(orientation),
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0,
                                 0};
    std::vector<std::uint8_t> bytes(jpeg.size() + sizeof app1);
    std::copy_n(jpeg.begin(), 2, bytes.begin());
    std::copy(std::begin(app1), std::end(app1), bytes.begin() + 2);
    std::copy(jpeg.begin() + 2, jpeg.end(), bytes.begin() + 2 + sizeof app1);
    return bytes;
}

} // namespace vardolin::picture::testing
