// vardolin-bench-roundtrip PHOTO --out DIR [--short-side S] FORMAT-QUALITY...
// vardolin-bench-roundtrip --decode FILE OUT.ppm
//
// The first form makes the picture a copy of PHOTO is encoded from (loaded,
// scaled so the shorter side is S, brought to sRGB: what a batch run hands
// its encoder) and writes it as DIR/reference.ppm; then, for each
// FORMAT-QUALITY (jpeg-70, jpegopt-70, webp-55, avif-40: the encoder's own
// quality, 0 to 100), encodes it as a batch run's encoder does, decodes the
// file again and writes DIR/FORMAT-QUALITY.ppm. One line per encode on
// standard output: the encoding, the file's bytes, the encode's wall and
// processor milliseconds. bench/measure-quality and bench/compare-formats
// compare the PPM files by SSIM.
//
// The second form decodes any copy (JPEG, WebP, AVIF …) to a PPM, for the
// copies other tools make.

#include "batch/Conversion.h"

#include "picture/Colour.h"
#include "picture/Formats.h"
#include "picture/Picture.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace vardolin;

namespace {

// Top row first, red-green-blue; the store is bottom-up blue-green-red(-alpha).
bool writePpm(const picture::Picture& picture, const fs::path& file)
{
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
    const int bytes = picture.depth / 8;
    std::vector<char> row(std::size_t(picture.width) * 3);
    for (std::int32_t y = 0; y < picture.height; ++y) {
        const std::uint8_t* in = picture.row(picture.height - 1 - y);
        for (std::int32_t x = 0; x < picture.width; ++x, in += bytes) {
            row[std::size_t(x) * 3] = char(in[2]);
            row[std::size_t(x) * 3 + 1] = char(in[1]);
            row[std::size_t(x) * 3 + 2] = char(in[0]);
        }
        out.write(row.data(), std::streamsize(row.size()));
    }
    return bool(out);
}

int decodeToPpm(const fs::path& file, const fs::path& ppm)
{
    auto loaded = picture::loadPicture(file);
    if (!loaded || !writePpm(loaded->picture, ppm)) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), loaded ? "cannot write the PPM" : loaded.error().c_str());
        return 1;
    }
    return 0;
}

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Encoding {
    std::string name;
    picture::Format format = picture::Format::None;
    int quality = 0;
    bool optimize = false;
};

bool parseEncoding(const std::string& text, Encoding& encoding)
{
    const std::size_t dash = text.rfind('-');
    if (dash == std::string::npos)
        return false;
    const std::string kind = text.substr(0, dash);
    encoding = {text, picture::Format::None, std::atoi(text.c_str() + dash + 1), kind == "jpegopt"};
    if (kind == "jpeg" || kind == "jpegopt")
        encoding.format = picture::Format::Jpeg;
    else if (kind == "webp")
        encoding.format = picture::Format::Webp;
    else if (kind == "avif")
        encoding.format = picture::Format::Avif;
    return encoding.format != picture::Format::None && encoding.quality >= 0 && encoding.quality <= 100;
}

// The picture a batch run's encoder gets for a copy with short side S.
picture::Result<picture::Picture> copyPicture(const fs::path& photo, int shortSide)
{
    picture::ColourCache cache;
    picture::LoadOptions load;
    load.colourCache = &cache;
    load.targetSizeFor = [&](picture::Size full) { return batch::newSizeFor(full, shortSide); };
    auto loaded = picture::loadPicture(photo, load);
    if (!loaded)
        return std::move(loaded).failure();
    const picture::Size size = batch::newSizeFor(loaded->picture.fullSize, shortSide);
    VARDOLIN_TRY(picture::scalePicture(loaded->picture, size.width, size.height));
    picture::toSrgb(loaded->picture, cache, loaded->notes);
    return std::move(loaded->picture);
}

bool roundTrip(const picture::Picture& picture, const Encoding& encoding, const fs::path& out)
{
    const picture::FormatRow* row = picture::formatRow(encoding.format);
    const picture::RowSource rows{picture.pixels.data(), picture.width, picture.height, picture.stride, picture.depth};
    picture::EncodeSettings settings;
    settings.quality = encoding.quality;
    settings.outputDepth = picture.depth;
    settings.optimizeJpeg = encoding.optimize;
    const fs::path file = out / (encoding.name + ".encoded");
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = threadMilliseconds();
    const auto encoded = row->encode24(rows, file, settings);
    const double cpu = threadMilliseconds() - cpuStart;
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    if (!encoded) {
        std::fprintf(stderr, "%s: %s\n", encoding.name.c_str(), encoded.error().c_str());
        return false;
    }
    std::printf("%s %ju %.1f %.1f\n", encoding.name.c_str(), fs::file_size(file), wall, cpu);
    const int decoded = decodeToPpm(file, out / (encoding.name + ".ppm"));
    fs::remove(file);
    return decoded == 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--decode")
        return decodeToPpm(args[1], args[2]);
    fs::path photo, out;
    int shortSide = 1200;
    std::vector<Encoding> encodings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        Encoding encoding;
        if (args[i] == "--out" && i + 1 < args.size())
            out = args[++i];
        else if (args[i] == "--short-side" && i + 1 < args.size())
            shortSide = std::atoi(args[++i].c_str());
        else if (photo.empty())
            photo = args[i];
        else if (parseEncoding(args[i], encoding))
            encodings.push_back(encoding);
        else
            photo.clear(), i = args.size();
    }
    if (photo.empty() || out.empty() || shortSide <= 0) {
        std::fprintf(stderr,
                     "usage: %s PHOTO --out DIR [--short-side S] FORMAT-QUALITY...\n"
                     "       %s --decode FILE OUT.ppm\n",
                     argv[0], argv[0]);
        return 2;
    }
    fs::create_directories(out);
    auto picture = copyPicture(photo, shortSide);
    if (!picture || picture->depth != 24 || !writePpm(*picture, out / "reference.ppm")) {
        std::fprintf(stderr, "%s: %s\n", photo.c_str(), picture ? "not an opaque photo" : picture.error().c_str());
        return 1;
    }
    int failures = 0;
    for (const Encoding& encoding : encodings)
        failures += roundTrip(*picture, encoding, out) ? 0 : 1;
    return failures == 0 ? 0 : 1;
}
