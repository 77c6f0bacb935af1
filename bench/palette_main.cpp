// vardolin-bench-palette [--bmp] [--short-side S] FILE...
//
// How much of a picture survives a palette copy. Each file is loaded, scaled
// when --short-side is given (the longer side in proportion), written as PNG
// (or BMP) at its source depth as a batch run writes it, and read back. Prints
// per file the depth written, the distinct colours of the picture written and
// how many of them the copy holds exactly, and the mean absolute difference
// per channel (0…255; alpha counts when either side has it), then the mean
// over all files.

#include "picture/Picture.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

using namespace vardolin;

namespace {

std::uint32_t pixelAt(const picture::Picture& picture, std::int32_t x, std::int32_t y)
{
    const std::uint8_t* p = picture.row(y) + std::size_t(x) * (picture.depth / 8u);
    const std::uint32_t alpha = picture.depth == 32 ? p[3] : 255u;
    return p[0] | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | alpha << 24;
}

std::set<std::uint32_t> coloursOf(const picture::Picture& picture)
{
    std::set<std::uint32_t> colours;
    for (std::int32_t y = 0; y < picture.height; ++y)
        for (std::int32_t x = 0; x < picture.width; ++x)
            colours.insert(pixelAt(picture, x, y));
    return colours;
}

// How many of the source's colours the copy holds exactly.
std::size_t coloursKept(const std::set<std::uint32_t>& source, const std::set<std::uint32_t>& copy)
{
    std::size_t kept = 0;
    for (std::uint32_t colour : source)
        kept += copy.count(colour);
    return kept;
}

double meanError(const picture::Picture& a, const picture::Picture& b)
{
    const int channels = a.depth == 32 || b.depth == 32 ? 4 : 3;
    double sum = 0;
    for (std::int32_t y = 0; y < a.height; ++y)
        for (std::int32_t x = 0; x < a.width; ++x) {
            const std::uint32_t p = pixelAt(a, x, y), q = pixelAt(b, x, y);
            for (int c = 0; c < channels; ++c)
                sum += std::abs(int(p >> (8 * c) & 255) - int(q >> (8 * c) & 255));
        }
    return sum / (double(a.width) * a.height * channels);
}

} // namespace

int main(int argc, char** argv)
{
    picture::Format format = picture::Format::Png;
    int shortSide = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--bmp") == 0)
            format = picture::Format::Bmp;
        else if (std::strcmp(argv[i], "--short-side") == 0 && i + 1 < argc)
            shortSide = std::atoi(argv[++i]);
        else
            files.emplace_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: vardolin-bench-palette [--bmp] [--short-side S] FILE...\n");
        return 2;
    }
    const auto copyFile =
        std::filesystem::temp_directory_path()
        / ("vardolin-bench-palette-" + std::to_string(getpid()) + (format == picture::Format::Bmp ? ".bmp" : ".png"));
    std::printf("%-24s %5s %8s %8s %10s\n", "file", "depth", "colours", "kept", "mean error");
    double total = 0;
    int measured = 0;
    for (const std::string& file : files) {
        picture::Result<picture::Decoded> source = picture::loadPicture(file);
        if (!source) {
            std::printf("%-24s cannot be loaded: %s\n", file.c_str(), source.error().c_str());
            continue;
        }
        if (shortSide > 0) {
            const bool wide = source->picture.width >= source->picture.height;
            const double ratio = wide ? double(source->picture.width) / source->picture.height
                                      : double(source->picture.height) / source->picture.width;
            const auto longSide = std::int32_t(std::lround(shortSide * ratio));
            if (!picture::scalePicture(source->picture, wide ? longSide : shortSide, wide ? shortSide : longSide)) {
                std::printf("%-24s cannot be scaled\n", file.c_str());
                continue;
            }
        }
        const picture::Result<void> saved = picture::savePicture(source->picture, copyFile, format, 7);
        if (!saved) {
            std::printf("%-24s cannot be written: %s\n", file.c_str(), saved.error().c_str());
            continue;
        }
        const picture::Result<picture::Decoded> copy = picture::loadPicture(copyFile);
        if (!copy) {
            std::printf("%-24s cannot be read back: %s\n", file.c_str(), copy.error().c_str());
            continue;
        }
        const double error = meanError(source->picture, copy->picture);
        const std::set<std::uint32_t> colours = coloursOf(source->picture);
        std::printf("%-24s %5d %8zu %8zu %10.2f\n", std::filesystem::path(file).filename().c_str(),
                    copy->picture.sourceDepth, colours.size(), coloursKept(colours, coloursOf(copy->picture)), error);
        total += error;
        ++measured;
    }
    std::filesystem::remove(copyFile);
    if (measured > 0)
        std::printf("%-24s %5s %8s %8s %10.2f\n", "mean", "", "", "", total / measured);
    return 0;
}
