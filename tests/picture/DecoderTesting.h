#pragma once
// Helpers for the decoder tests: fixture files, pixels counted from the
// picture's top-left corner, and the known colours of the fixture pictures.

#include "picture/Picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace vardolin::picture::testing {

inline std::string fixturePath(const std::string& name)
{
    return std::string(VARDOLIN_TEST_DATA) + "/picture/" + name;
}

inline std::vector<std::uint8_t> readFixture(const std::string& name)
{
    std::ifstream in(fixturePath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline Result<Decoded> loadFixture(const std::string& name, const LoadOptions& options = {})
{
    return loadPicture(fixturePath(name), options);
}

inline Result<Decoded> decodeBytes(const std::vector<std::uint8_t>& bytes, const LoadOptions& options = {})
{
    return decodePicture(bytes.data(), bytes.size(), options);
}

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Rgb& c)
    {
        return out << "rgb(" << c.r << "," << c.g << "," << c.b << ")";
    }
};

// Pixel (x, y) with y counted from the top row of the picture.
inline Rgb pixelAt(const Picture& picture, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = picture.row(picture.height - 1 - y) + std::size_t(x) * (picture.depth / 8);
    return {p[2], p[1], p[0]};
}

inline int alphaAt(const Picture& picture, std::int32_t x, std::int32_t y)
{
    return picture.row(picture.height - 1 - y)[std::size_t(x) * 4 + 3];
}

// Colours of the 7 x 5 fixtures: pixel (x, y) has colour (x + 2y) % 7.
inline Rgb baseColour(int x, int y)
{
    static const Rgb colours[7] = {{255, 0, 0}, {0, 255, 0},   {0, 0, 255},  {255, 255, 255},
                                   {0, 0, 0},   {255, 255, 0}, {0, 255, 255}};
    return colours[(x + 2 * y) % 7];
}

// The 16 x 6 run-length fixtures.
inline Rgb runsColour(int x, int y)
{
    if (x < 5)
        return baseColour(y % 7, 0);
    if (x < 11)
        return baseColour((y + 3) % 7, 0);
    return baseColour((x + y) % 7, 0);
}

// The 7 x 5 red and yellow checkerboard.
inline Rgb checkerColour(int x, int y)
{
    return (x + y) % 2 ? Rgb{255, 255, 0} : Rgb{255, 0, 0};
}

// The 24 x 16 JPEG fixtures: 8 x 8 blocks, red green blue over yellow white magenta.
inline Rgb blockColour(int x, int y)
{
    static const Rgb blocks[2][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                                     {{255, 255, 0}, {255, 255, 255}, {255, 0, 255}}};
    return blocks[y / 8][x / 8];
}

inline bool near(const Rgb& a, const Rgb& b, int tolerance)
{
    auto close = [&](int u, int v) { return u - v <= tolerance && v - u <= tolerance; };
    return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b);
}

// Every pixel equals what `expected` gives (after `adjust`); reports the first difference.
template <typename Expected>
::testing::AssertionResult allPixelsAre(const Picture& picture, Expected expected, int tolerance = 0)
{
    for (std::int32_t y = 0; y < picture.height; ++y)
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const Rgb want = expected(x, y);
            const Rgb got = pixelAt(picture, x, y);
            if (!near(got, want, tolerance))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is " << got << ", expected " << want;
        }
    return ::testing::AssertionSuccess();
}

} // namespace vardolin::picture::testing
