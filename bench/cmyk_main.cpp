// vardolin-bench-cmyk PROFILE [--short-side S] [--rounds N] PHOTO...
//
// How exactly, and at what cost per pixel, CMYK pixels come to sRGB through
// a CMYK profile: the colour cache's table (what a run uses), the colour
// library's own precalculated 8-bit transform (what runs used before), both
// against the library's unoptimised pipeline. The CMYK pixels are the
// photos' own colours (decoded at short side S) turned into the profile's
// inks by the library, and a million inks drawn at random. Prints the PSNR
// and the largest difference of each against the unoptimised pipeline, the
// share of values more than 2 levels off, and the best of N rounds in
// nanoseconds per pixel.

#include "batch/Conversion.h"
#include "picture/Colour.h"
#include "picture/Picture.h"
#include "picture/colour/ColourConversion.h"

#include <lcms2.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace vardolin;
using Clock = std::chrono::steady_clock;

namespace {

struct Pixels {
    std::vector<std::uint8_t> photos; // inverted CMYK, as libjpeg hands out such files
    std::vector<std::uint8_t> random;
};

std::vector<std::uint8_t> readFile(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The photos' colours as inks of the profile (when it has a table from
// colours to inks), and random inks.
Pixels makeInks(cmsHPROFILE profile, cmsHPROFILE srgb, const std::vector<const char*>& photos, int shortSide)
{
    Pixels pixels;
    std::mt19937 random(1);
    pixels.random.resize(4 * 1000000);
    for (std::uint8_t& byte : pixels.random)
        byte = std::uint8_t(random());
    cmsHTRANSFORM toInks = cmsCreateTransform(srgb, TYPE_BGR_8, profile, TYPE_CMYK_8_REV, INTENT_PERCEPTUAL, 0);
    if (!toInks) {
        std::fprintf(stderr, "the profile makes no inks from colours: random inks only\n");
        return pixels;
    }
    picture::LoadOptions load;
    load.targetSizeFor = [shortSide](picture::Size full) { return batch::newSizeFor(full, shortSide); };
    for (const char* name : photos) {
        auto loaded = picture::loadPicture(name, load);
        if (!loaded) {
            std::fprintf(stderr, "%s: %s\n", name, loaded.error().c_str());
            continue;
        }
        const picture::Picture& picture = loaded->picture;
        for (std::int32_t y = 0; y < picture.height; ++y) {
            const std::size_t at = pixels.photos.size();
            pixels.photos.resize(at + 4 * std::size_t(picture.width));
            cmsDoTransform(toInks, picture.row(y), pixels.photos.data() + at, cmsUInt32Number(picture.width));
        }
    }
    cmsDeleteTransform(toInks);
    return pixels;
}

struct Score {
    double psnr = 0;
    int largest = 0;
    double overTwo = 0; // per cent of the values
};

Score scoreOf(const std::vector<std::uint8_t>& ours, const std::vector<std::uint8_t>& exact)
{
    double squares = 0;
    std::size_t overTwo = 0;
    Score score;
    if (ours.empty())
        return score;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        const int difference = std::abs(int(ours[i]) - int(exact[i]));
        squares += double(difference) * difference;
        score.largest = std::max(score.largest, difference);
        overTwo += difference > 2;
    }
    const double mean = squares / double(ours.size());
    score.psnr = mean == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mean);
    score.overTwo = 100.0 * double(overTwo) / double(ours.size());
    return score;
}

// The best of `rounds` times in nanoseconds per pixel, and the output.
template <typename Convert>
double timed(int rounds, const std::vector<std::uint8_t>& inks, std::vector<std::uint8_t>& out, Convert&& convert)
{
    const std::size_t count = inks.size() / 4;
    out.resize(3 * count);
    double best = INFINITY;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        constexpr std::size_t kRow = 4096;
        for (std::size_t at = 0; at < count; at += kRow)
            convert(inks.data() + 4 * at, out.data() + 3 * at, std::uint32_t(std::min(kRow, count - at)));
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best / double(count) * 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    int shortSide = 600, rounds = 5;
    std::vector<const char*> photos;
    const char* profileName = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--short-side" && i + 1 < argc)
            shortSide = std::atoi(argv[++i]);
        else if (arg == "--rounds" && i + 1 < argc)
            rounds = std::atoi(argv[++i]);
        else if (!profileName)
            profileName = argv[i];
        else
            photos.push_back(argv[i]);
    }
    if (!profileName) {
        std::fprintf(stderr, "usage: %s PROFILE [--short-side S] [--rounds N] PHOTO...\n", argv[0]);
        return 2;
    }
    picture::ColourTag tag;
    tag.iccProfile = readFile(profileName);
    tag.channels = picture::ColourTag::Channels::Cmyk;
    cmsHPROFILE profile = cmsOpenProfileFromMem(tag.iccProfile.data(), cmsUInt32Number(tag.iccProfile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    if (!profile || cmsGetColorSpace(profile) != cmsSigCmykData) {
        std::fprintf(stderr, "%s: not a CMYK profile\n", profileName);
        return 2;
    }
    // The intent the colour cache chooses: perceptual where the profile has
    // its own table for it, otherwise colorimetric with black kept black.
    const bool perceptual = cmsIsCLUT(profile, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT);
    const cmsUInt32Number intent = perceptual ? INTENT_PERCEPTUAL : INTENT_RELATIVE_COLORIMETRIC;
    const cmsUInt32Number flags = perceptual ? 0 : cmsFLAGS_BLACKPOINTCOMPENSATION;

    const Pixels pixels = makeInks(profile, srgb, photos, shortSide);
    auto start = Clock::now();
    picture::ColourCache cache;
    const auto rows = picture::cmykRowsFor(tag, cache);
    const double tableMs = std::chrono::duration<double>(Clock::now() - start).count() * 1e3;
    if (!rows) {
        std::fprintf(stderr, "%s: %s\n", profileName, rows.error().c_str());
        return 1;
    }
    start = Clock::now();
    cmsHTRANSFORM precalculated = cmsCreateTransform(profile, TYPE_CMYK_8_REV, srgb, TYPE_BGR_8, intent, flags);
    const double precalculatedMs = std::chrono::duration<double>(Clock::now() - start).count() * 1e3;
    cmsHTRANSFORM exact = cmsCreateTransform(profile, TYPE_CMYK_8_REV, srgb, TYPE_BGR_8, intent,
                                             flags | cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);

    std::printf("%s (%s): %zu photo pixels, %zu random\n", profileName, perceptual ? "perceptual" : "relative",
                pixels.photos.size() / 4, pixels.random.size() / 4);
    std::printf("  %-22s %8s %22s %22s\n", "", "ns/pixel", "photos dB / max / >2", "random dB / max / >2");
    for (const bool ours : {true, false}) {
        double nanoseconds = 0;
        Score scores[2];
        int which = 0;
        for (const std::vector<std::uint8_t>* inks : {&pixels.photos, &pixels.random}) {
            std::vector<std::uint8_t> converted, reference;
            const double ns =
                ours ? timed(
                    rounds, *inks, converted,
                    [&](const std::uint8_t* in, std::uint8_t* out, std::uint32_t n) { rows->convert(in, out, n); })
                     : timed(rounds, *inks, converted, [&](const std::uint8_t* in, std::uint8_t* out, std::uint32_t n) {
                           cmsDoTransform(precalculated, in, out, n);
                       });
            timed(1, *inks, reference, [&](const std::uint8_t* in, std::uint8_t* out, std::uint32_t n) {
                cmsDoTransform(exact, in, out, n);
            });
            if (which == 0 || pixels.photos.empty())
                nanoseconds = ns;
            scores[which++] = scoreOf(converted, reference);
        }
        std::printf("  %-22s %8.1f %10.2f / %3d / %5.2f%% %10.2f / %3d / %5.2f%%   (made in %.0f ms)\n",
                    ours ? "table (this build)" : "library, precalculated", nanoseconds, scores[0].psnr,
                    scores[0].largest, scores[0].overTwo, scores[1].psnr, scores[1].largest, scores[1].overTwo,
                    ours ? tableMs : precalculatedMs);
    }
    cmsDeleteTransform(exact);
    cmsDeleteTransform(precalculated);
    cmsCloseProfile(srgb);
    cmsCloseProfile(profile);
    return 0;
}
