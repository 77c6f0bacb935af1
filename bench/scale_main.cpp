// vardolin-bench-scale [WIDTH HEIGHT NEWWIDTH NEWHEIGHT]
//
// Times the smooth scalers alone on a made-up picture (default 6000×4000 to
// 900×600, a 24-megapixel photo to the default short side): the
// area-averaging scaler on 24 bits and the Mitchell–Netravali resampler on
// 32 bits. Prints the best of several runs.

#include "picture/Picture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace vardolin;
using Clock = std::chrono::steady_clock;

namespace {

picture::Picture madePhoto(std::int32_t width, std::int32_t height, int depth)
{
    picture::Picture photo;
    photo.width = width;
    photo.height = height;
    photo.depth = std::uint8_t(depth);
    photo.sourceDepth = std::uint8_t(depth);
    photo.format = picture::Format::Png;
    photo.fullSize = {width, height};
    photo.stride = picture::strideFor(width, depth);
    photo.pixels.resize(std::size_t(photo.stride) * std::size_t(height));
    std::uint32_t noise = 12345;
    for (std::uint8_t& byte : photo.pixels) {
        noise = noise * 1664525u + 1013904223u;
        byte = std::uint8_t(noise >> 24);
    }
    return photo;
}

double bestMilliseconds(const picture::Picture& photo, std::int32_t width, std::int32_t height, int runs)
{
    double best = 1e30;
    for (int run = 0; run < runs; ++run) {
        picture::Picture copy = photo;
        const auto start = Clock::now();
        if (!picture::scalePicture(copy, width, height)) {
            std::fprintf(stderr, "scaling failed\n");
            std::exit(1);
        }
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    std::int32_t sw = 6000, sh = 4000, dw = 900, dh = 600;
    if (argc == 5) {
        sw = std::atoi(argv[1]);
        sh = std::atoi(argv[2]);
        dw = std::atoi(argv[3]);
        dh = std::atoi(argv[4]);
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: %s [WIDTH HEIGHT NEWWIDTH NEWHEIGHT]\n", argv[0]);
        return 2;
    }
    const picture::Picture rgb = madePhoto(sw, sh, 24);
    std::printf("area average, 24 bits, %dx%d -> %dx%d: %.1f ms\n", sw, sh, dw, dh, bestMilliseconds(rgb, dw, dh, 7));
    const picture::Picture rgba = madePhoto(sw, sh, 32);
    std::printf("Mitchell, 32 bits,     %dx%d -> %dx%d: %.1f ms\n", sw, sh, dw, dh, bestMilliseconds(rgba, dw, dh, 3));
    return 0;
}
