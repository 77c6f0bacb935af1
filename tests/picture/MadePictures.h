#pragma once
// Pictures made in memory for the scale and save tests.

#include "picture/Picture.h"

#include <cstdint>
#include <functional>

namespace vardolin::picture::testing {

// A bottom-up picture whose pixel (x, memory row y) has the channels that
// `pixel` gives (blue, green, red and, at depth 32, alpha).
inline Picture madePicture(std::int32_t width, std::int32_t height, int depth,
                           const std::function<std::uint8_t(std::int32_t x, std::int32_t y, int channel)>& pixel)
{
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.depth = std::uint8_t(depth);
    picture.sourceDepth = std::uint8_t(depth);
    picture.format = Format::Png;
    picture.fullSize = {width, height};
    picture.stride = strideFor(width, depth);
    picture.pixels.assign(std::size_t(picture.stride) * std::size_t(height), 0);
    const int channels = depth / 8;
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                picture.row(y)[x * channels + c] = pixel(x, y, c);
    return picture;
}

inline Picture constantPicture(std::int32_t width, std::int32_t height, int depth, std::uint8_t b, std::uint8_t g,
                               std::uint8_t r, std::uint8_t a = 255)
{
    return madePicture(width, height, depth, [=](std::int32_t, std::int32_t, int c) {
        const std::uint8_t values[4] = {b, g, r, a};
        return values[c];
    });
}

inline std::uint8_t channelAt(const Picture& picture, std::int32_t x, std::int32_t y, int channel)
{
    return picture.row(y)[x * (picture.depth / 8) + channel];
}

} // namespace vardolin::picture::testing
