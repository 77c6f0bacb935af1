// vardolin-bench-shrink FOLDER [--short-side S] [--grade G] [--out DIR] [--png] [--full-decode]
//
// Shrinks every JPEG in FOLDER, one after another on one thread, the way a
// batch run does: load with shrink-on-load, scale smoothly so the shorter
// side is S, bring the colours to sRGB when the file has a profile, save as
// JPEG at grade G. Prints pictures per second, the time
// spent in each step and the peak resident memory. --png writes lossless
// copies and --full-decode turns shrink-on-load off, so that the accuracy of
// each stage can be measured on its own. With shrink-on-load the decoder
// hands back the picture already averaged down, so "scale" then costs nothing
// and "load" holds both.

#include "batch/Conversion.h"

#include "picture/Colour.h"
#include "picture/Picture.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vardolin;
using Clock = std::chrono::steady_clock;

namespace {

struct Options {
    fs::path folder;
    fs::path out;
    int shortSide = 600;
    int grade = 3;
    bool png = false;
    bool fullDecode = false;
};

bool parse(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--short-side" && hasValue)
            options.shortSide = std::atoi(argv[++i]);
        else if (arg == "--grade" && hasValue)
            options.grade = std::atoi(argv[++i]);
        else if (arg == "--out" && hasValue)
            options.out = argv[++i];
        else if (arg == "--png")
            options.png = true;
        else if (arg == "--full-decode")
            options.fullDecode = true;
        else if (options.folder.empty() && arg.rfind("--", 0) != 0)
            options.folder = arg;
        else
            return false;
    }
    return !options.folder.empty() && options.shortSide > 0;
}

std::vector<fs::path> jpegsIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (entry.is_regular_file() && (ext == ".jpg" || ext == ".jpeg"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: %s FOLDER [--short-side S] [--grade G] [--out DIR] [--png] [--full-decode]\n",
                     argv[0]);
        return 2;
    }
    const std::vector<fs::path> files = jpegsIn(options.folder);
    if (files.empty()) {
        std::fprintf(stderr, "no JPEG files in %s\n", options.folder.c_str());
        return 2;
    }
    const bool ownOut = options.out.empty();
    if (ownOut)
        options.out = fs::temp_directory_path() / ("vardolin-bench-" + std::to_string(::getpid()));
    fs::create_directories(options.out);

    picture::ColourCache colourCache;
    picture::LoadOptions load;
    load.colourCache = &colourCache;
    if (!options.fullDecode)
        load.targetSizeFor = [&](picture::Size full) { return batch::newSizeFor(full, options.shortSide); };

    double loadSeconds = 0, scaleSeconds = 0, colourSeconds = 0, saveSeconds = 0;
    int failures = 0;
    const auto start = Clock::now();
    for (const fs::path& file : files) {
        auto step = Clock::now();
        auto loaded = picture::loadPicture(file, load);
        loadSeconds += secondsSince(step);
        if (!loaded) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), loaded.error().c_str());
            ++failures;
            continue;
        }
        const picture::Size size = batch::newSizeFor(loaded->picture.fullSize, options.shortSide);
        step = Clock::now();
        const auto scaled = picture::scalePicture(loaded->picture, size.width, size.height);
        scaleSeconds += secondsSince(step);
        step = Clock::now();
        picture::toSrgb(loaded->picture, colourCache, loaded->notes);
        colourSeconds += secondsSince(step);
        for (const picture::Note& note : loaded->notes)
            if (note.kind == picture::Note::Kind::ColourIgnored)
                std::fprintf(stderr, "%s: profile ignored: %s\n", file.c_str(), note.text.c_str());
        step = Clock::now();
        const auto saved =
            options.png ? picture::savePicture(loaded->picture, options.out / (file.filename().string() + ".png"),
                                               picture::Format::Png, 7, 24)
                        : picture::savePicture(loaded->picture, options.out / file.filename(), picture::Format::Jpeg,
                                               options.grade);
        saveSeconds += secondsSince(step);
        if (!scaled || !saved) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), scaled ? saved.error().c_str() : scaled.error().c_str());
            ++failures;
        }
    }
    const double total = secondsSince(start);
    if (ownOut)
        fs::remove_all(options.out);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("pictures: %zu (%d failed)\n", files.size(), failures);
    std::printf("seconds: %.3f\n", total);
    std::printf("pictures/second: %.2f\n", double(files.size()) / total);
    std::printf("load %.3f s, scale %.3f s, colour %.3f s, save %.3f s\n", loadSeconds, scaleSeconds, colourSeconds,
                saveSeconds);
    std::printf("peak RSS: %.1f MiB\n", double(usage.ru_maxrss) / 1024.0);
    return failures == 0 ? 0 : 1;
}
