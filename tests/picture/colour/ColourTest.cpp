// Colour profiles read from every format that carries one and converted to
// sRGB. The fixtures' profiles and ImageMagick's own sRGB renditions are
// described in tests/data/picture/README.md.

#include "picture/Colour.h"
#include "picture/ChildLoad.h"
#include "picture/DecoderTesting.h"
#include "picture/MadePictures.h"
#include "picture/colour/ColourConversion.h"
#include "picture/colour/MatrixShaper.h"
#include "picture/colour/SrgbCurve.h"
#include "picture/colour/SrgbLevelsWide.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <lcms2.h>
#include <map>
#include <string_view>
#include <zlib.h>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

constexpr int jpegTolerance = 6;

Decoded loadWithNotes(const std::string& name, const LoadOptions& options = {})
{
    Result<Decoded> result = loadFixture(name, options);
    EXPECT_TRUE(result.ok()) << name << ": " << result.error();
    return result.ok() ? std::move(result).value() : Decoded{};
}

Picture load(const std::string& name, const LoadOptions& options = {})
{
    return std::move(loadWithNotes(name, options).picture);
}

// What became of a picture's colours, as its notes tell it.
struct Outcome {
    bool converted = false;
    std::string ignoredBecause;
};

Outcome outcomeOf(const Notes& notes)
{
    Outcome outcome;
    for (const Note& note : notes) {
        if (note.kind == Note::Kind::ColourConverted)
            outcome.converted = true;
        if (note.kind == Note::Kind::ColourIgnored)
            outcome.ignoredBecause = note.text;
    }
    return outcome;
}

Outcome convertToSrgb(Picture& picture, ColourCache& cache)
{
    Notes notes;
    toSrgb(picture, cache, notes);
    return outcomeOf(notes);
}

// The largest difference of any channel of any pixel.
int largestDifference(const Picture& a, const Picture& b)
{
    int largest = 0;
    for (std::int32_t y = 0; y < a.height; ++y)
        for (std::int32_t x = 0; x < a.width; ++x) {
            const Rgb p = pixelAt(a, x, y), q = pixelAt(b, x, y);
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
        }
    return largest;
}

// Red and green swap places; blue and the mixes of all three stay.
Rgb swapped(Rgb colour)
{
    return {colour.g, colour.r, colour.b};
}

int srgbLevelOfLinear(int level)
{
    const double linear = level / 255.0;
    const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return int(std::lround(encoded * 255));
}

std::vector<std::uint8_t> builtInSrgbProfile()
{
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<std::uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

} // namespace

TEST(ColourProfile, SwappingProfileTurnsRedIntoGreenInEveryFormat)
{
    ColourCache cache;
    for (const char* name : {"colour-swap.jpg", "colour-swap-chunks.jpg", "heic-swap.heic", "webp-swap.webp"}) {
        SCOPED_TRACE(name);
        Picture picture = load(name);
        ASSERT_EQ(picture.colour.iccProfile.size(), 600u);
        const Outcome outcome = convertToSrgb(picture, cache);
        EXPECT_TRUE(outcome.converted);
        EXPECT_EQ(outcome.ignoredBecause, "");
        EXPECT_TRUE(picture.colour.empty());
        EXPECT_TRUE(allPixelsAre(
            picture, [](int x, int y) { return swapped(blockColour(x, y)); }, jpegTolerance));
    }
    Picture bmp = load("colour-swap.bmp");
    EXPECT_TRUE(convertToSrgb(bmp, cache).converted);
    EXPECT_TRUE(allPixelsAre(
        bmp, [](int x, int y) { return swapped(baseColour(x, y)); }, 1));
}

// The chunks are stored 3, 1, 2; joined in that order they are no profile.
TEST(ColourProfile, JpegChunksAreJoinedInSequenceOrder)
{
    EXPECT_EQ(load("colour-swap-chunks.jpg").colour.iccProfile, load("colour-swap.jpg").colour.iccProfile);
    const Decoded missing = loadWithNotes("colour-chunk-missing.jpg");
    EXPECT_TRUE(missing.picture.colour.iccProfile.empty());
    const std::string why = outcomeOf(missing.notes).ignoredBecause;
    EXPECT_NE(why.find("chunk 1 of 2 is missing"), std::string::npos) << why;
}

// ImageMagick's rendition through the same profiles: within what 8-bit
// transforms and rounding leave, where the file's own numbers are far off.
TEST(ColourProfile, WideGamutPicturesMatchTheReferenceRendition)
{
    ColourCache cache;
    const struct {
        const char* source;
        const char* reference;
        int tolerance;
    } cases[] = {
        {"colour-prophoto.png", "colour-prophoto-in-srgb.png", 2},
        {"colour-prophoto.tif", "colour-prophoto-in-srgb.png", 2},
        {"colour-adobergb.png", "colour-adobergb-in-srgb.png", 2},
        {"colour-display-p3.png", "colour-display-p3-in-srgb.png", 2},
        // The code points of an nclx box, no profile. The file's pixels are
        // within a step of the PNG's; the sRGB curve's steep dark end widens
        // that step where a channel comes out near black.
        {"avif-display-p3.avif", "colour-display-p3-in-srgb.png", 8},
    };
    for (const auto& [source, reference, tolerance] : cases) {
        SCOPED_TRACE(source);
        Picture picture = load(source);
        const Picture expected = load(reference);
        ASSERT_EQ(picture.width, expected.width);
        EXPECT_GT(largestDifference(picture, expected), 20);
        EXPECT_TRUE(convertToSrgb(picture, cache).converted);
        EXPECT_LE(largestDifference(picture, expected), tolerance);
    }
}

// Without a profile a PNG states its colours by chunks, ranked cICP, iCCP,
// sRGB, then gAMA and cHRM; each converts as the profile it describes.
TEST(ColourProfile, PngColourChunksActAsTheProfileTheyDescribe)
{
    ColourCache cache;
    // gAMA 1.0 alone: linear light in sRGB's primaries.
    Picture linear = load("colour-gamma-linear.png");
    const Picture stored = linear;
    EXPECT_TRUE(convertToSrgb(linear, cache).converted);
    EXPECT_TRUE(allPixelsAre(
        linear,
        [&stored](int x, int y) {
            const Rgb p = pixelAt(stored, x, y);
            return Rgb{srgbLevelOfLinear(p.r), srgbLevelOfLinear(p.g), srgbLevelOfLinear(p.b)};
        },
        1));

    const struct {
        const char* source;
        const char* reference;
    } cases[] = {
        // gAMA 1/2.2 with Adobe RGB's primaries in cHRM: the colours of the Adobe RGB profile.
        {"colour-gamma-adobergb.png", "colour-adobergb-in-srgb.png"},
        // cICP naming Display P3, beside an iCCP profile that swaps red and green.
        {"colour-cicp-display-p3.png", "colour-display-p3-in-srgb.png"},
    };
    for (const auto& [source, reference] : cases) {
        SCOPED_TRACE(source);
        Picture picture = load(source);
        const Picture expected = load(reference);
        EXPECT_GT(largestDifference(picture, expected), 20);
        EXPECT_TRUE(convertToSrgb(picture, cache).converted);
        EXPECT_LE(largestDifference(picture, expected), 2);
    }

    // A cICP chunk for YCbCr matrix coefficients, which a PNG cannot hold,
    // gives way to the iCCP chunk beside it, whose profile swaps red and green.
    std::vector<std::uint8_t> bytes = readFixture("colour-cicp-display-p3.png");
    const auto chunk = std::search(bytes.begin(), bytes.end(), std::begin("cICP"), std::end("cICP") - 1);
    ASSERT_NE(chunk, bytes.end());
    chunk[6] = 1;
    const auto crc = std::uint32_t(crc32(0, &*chunk, 8));
    for (int i = 0; i < 4; ++i)
        chunk[8 + i] = std::uint8_t(crc >> (24 - 8 * i));
    Result<Decoded> decoded = decodeBytes(bytes);
    ASSERT_TRUE(decoded.ok()) << decoded.error();
    const Picture before = decoded->picture;
    toSrgb(decoded->picture, cache, decoded->notes);
    const Outcome outcome = outcomeOf(decoded->notes);
    EXPECT_TRUE(outcome.converted);
    EXPECT_NE(outcome.ignoredBecause.find("cICP"), std::string::npos) << outcome.ignoredBecause;
    EXPECT_TRUE(allPixelsAre(
        decoded->picture, [&before](int x, int y) { return swapped(pixelAt(before, x, y)); }, 1));
}

// Dark ProPhoto hues at 16 bits: converted before the reduction to 8 bits,
// they come out as ImageMagick converts all 16 bits.
TEST(ColourProfile, SixteenBitPicturesAreConvertedBeforeTheirLowBitsAreLost)
{
    ColourCache cache;
    LoadOptions options;
    options.colourCache = &cache;
    const Picture expected = load("colour-prophoto16-in-srgb.png");
    for (const char* name : {"colour-prophoto16.png", "colour-prophoto16.tif"}) {
        SCOPED_TRACE(name);
        Decoded decoded = loadWithNotes(name, options);
        EXPECT_TRUE(decoded.picture.colour.empty());
        EXPECT_TRUE(outcomeOf(decoded.notes).converted);
        EXPECT_LE(largestDifference(decoded.picture, expected), 1);
        if (decoded.picture.depth == 32) {
            EXPECT_TRUE(decoded.picture.alphaIsFiller);
            EXPECT_EQ(alphaAt(decoded.picture, 5, 5), 255);
        }
    }
    // Linear gray: each 16-bit level on sRGB's curve.
    Decoded gray = loadWithNotes("colour-gray16-linear.png", options);
    EXPECT_TRUE(outcomeOf(gray.notes).converted);
    EXPECT_TRUE(allPixelsAre(
        gray.picture,
        [](int x, int y) {
            const double linear = (x * 5 + y) * 1800 / 65535.0;
            const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
            const int level = int(std::lround(encoded * 255));
            return Rgb{level, level, level};
        },
        1));
}

TEST(ColourProfile, GrayProfileIsAppliedToGrayPixels)
{
    ColourCache cache;
    Picture picture = load("colour-gray-linear.png");
    EXPECT_EQ(picture.colour.channels, ColourTag::Channels::Gray);
    EXPECT_TRUE(convertToSrgb(picture, cache).converted);
    // The file's levels are linear light; sRGB encodes them with its curve.
    auto srgbOfLinear = [](int x, int y) {
        const double linear = (x * 5 + y) * 7 / 255.0;
        const double encoded = linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        const int level = int(std::lround(encoded * 255));
        return Rgb{level, level, level};
    };
    EXPECT_TRUE(allPixelsAre(picture, srgbOfLinear, 1));
}

// Cyan and magenta trade places in the profile, so red ink (magenta and
// yellow) prints green; the plain formula would give red. The profile is
// applied as the rows arrive, at full size and while shrinking on load.
TEST(ColourProfile, CmykProfileIsAppliedWhileDecoding)
{
    ColourCache cache;
    LoadOptions full;
    full.colourCache = &cache;
    const Picture picture = load("colour-cmyk.jpg", full);
    EXPECT_TRUE(picture.colour.empty());
    for (int y : {4, 12})
        for (int x : {4, 12, 20}) {
            const Rgb block = blockColour(x, y);
            const Rgb inkSwapped{block.g, block.r, block.b};
            EXPECT_TRUE(near(pixelAt(picture, x, y), inkSwapped, 8)) << x << "," << y << ": " << pixelAt(picture, x, y);
        }

    LoadOptions reduced = full;
    reduced.targetSizeFor = [](Size) { return Size{6, 4}; };
    const Picture small = load("colour-cmyk.jpg", reduced);
    ASSERT_EQ(small.width, 6);
    EXPECT_TRUE(near(pixelAt(small, 0, 0), Rgb{0, 255, 0}, 8)) << pixelAt(small, 0, 0);
}

// Ghostscript's PostScript CMYK profile made again (make-profiles.c): many
// of its inks lie far outside sRGB, and an 8-bit precalculated transform,
// clipped at its own grid points, misses them by up to 38 levels. A lattice
// of every 15th level of each ink comes out as the library's exact pipeline
// makes it.
TEST(ColourProfile, CmykProfileIsConvertedAsTheExactPipelineConvertsIt)
{
    ColourTag tag;
    tag.iccProfile = readFixture("cmyk-postscript.icc");
    tag.channels = ColourTag::Channels::Cmyk;
    ColourCache cache;
    const Result<CmykRows> rows = cmykRowsFor(tag, cache);
    ASSERT_TRUE(rows.ok()) << rows.error();
    std::vector<std::uint8_t> inks;
    for (int c = 0; c < 256; c += 15)
        for (int m = 0; m < 256; m += 15)
            for (int y = 0; y < 256; y += 15)
                for (int k = 0; k < 256; k += 15)
                    inks.insert(inks.end(), {std::uint8_t(c), std::uint8_t(m), std::uint8_t(y), std::uint8_t(k)});
    const auto count = std::uint32_t(inks.size() / 4);
    std::vector<std::uint8_t> ours(3 * std::size_t(count)), exact(ours.size());
    rows->convert(inks.data(), ours.data(), count);

    cmsHPROFILE profile = cmsOpenProfileFromMem(tag.iccProfile.data(), cmsUInt32Number(tag.iccProfile.size()));
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHTRANSFORM reference = cmsCreateTransform(profile, TYPE_CMYK_8_REV, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL,
                                                 cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE);
    ASSERT_NE(reference, nullptr);
    cmsDoTransform(reference, inks.data(), exact.data(), count);
    cmsDeleteTransform(reference);
    cmsCloseProfile(srgb);
    cmsCloseProfile(profile);

    int largest = 0;
    for (std::size_t i = 0; i < ours.size(); ++i)
        largest = std::max(largest, std::abs(int(ours[i]) - int(exact[i])));
    EXPECT_LE(largest, 1);
}

TEST(ColourProfile, SrgbInAllButNameLeavesEveryByteAlone)
{
    ColourCache cache;
    // A profile that is sRGB's; a PNG's gAMA of 1/2.2 beside sRGB's cHRM (RGB
    // files) or alone (gray), as writers add them to sRGB pictures; an sRGB
    // chunk, which outranks a gAMA of 1.0.
    for (const char* name : {"colour-srgb.jpg", "colour-srgb.png", "png-rgb.png", "png-rgba.png", "png-rgb16.png",
                             "png-gray1.png", "png-gray-alpha.png", "colour-srgb-chunk-over-gamma.png"}) {
        SCOPED_TRACE(name);
        Decoded decoded = loadWithNotes(name);
        Picture& picture = decoded.picture;
        if (std::string_view(name).starts_with("png-")) {
            EXPECT_TRUE(picture.colour.hasGammaOrChromaticities());
        }
        const std::vector<std::uint8_t> before = picture.pixels;
        toSrgb(picture, cache, decoded.notes);
        EXPECT_EQ(decoded.notes, Notes{});
        EXPECT_EQ(picture.pixels, before);
    }
    Picture picture = load("colour-prophoto-in-srgb.png");
    picture.colour.iccProfile = builtInSrgbProfile();
    const std::vector<std::uint8_t> before = picture.pixels;
    EXPECT_FALSE(convertToSrgb(picture, cache).converted);
    EXPECT_EQ(picture.pixels, before);
}

// Each is copied as if it had no profile, with the reason for the run log.
TEST(ColourProfile, ProfilesThatCannotBeUsedAreIgnoredWithAReason)
{
    ColourCache cache;
    const std::vector<std::uint8_t> swap = load("colour-swap.jpg").colour.iccProfile;
    // The notes of the load and of the conversion together, as a copy gets them.
    auto expectIgnored = [&cache](Decoded decoded, const std::string& why) {
        Picture& picture = decoded.picture;
        const std::vector<std::uint8_t> before = picture.pixels;
        toSrgb(picture, cache, decoded.notes);
        const Outcome outcome = outcomeOf(decoded.notes);
        EXPECT_FALSE(outcome.converted);
        EXPECT_NE(outcome.ignoredBecause.find(why), std::string::npos) << outcome.ignoredBecause;
        EXPECT_EQ(picture.pixels, before);
        EXPECT_TRUE(picture.colour.empty());
    };
    expectIgnored(loadWithNotes("colour-broken.jpg"), "ICC profile");
    expectIgnored(loadWithNotes("colour-chunk-missing.jpg"), "missing");

    Decoded cut = loadWithNotes("jpeg-blocks.jpg");
    cut.picture.colour.iccProfile.assign(swap.begin(), swap.begin() + 300);
    expectIgnored(cut, "ICC profile cut short: 300 of 600 bytes");

    // Every tag's data said to lie past the end of the profile.
    Decoded lyingTags = loadWithNotes("jpeg-blocks.jpg");
    lyingTags.picture.colour.iccProfile = swap;
    const std::size_t tags = swap[131];
    for (std::size_t i = 0; i < tags; ++i)
        lyingTags.picture.colour.iccProfile[132 + 12 * i + 4] = 0x7F;
    expectIgnored(lyingTags, "cannot be converted to sRGB");

    Decoded grayProfileOnColour = loadWithNotes("jpeg-blocks.jpg");
    grayProfileOnColour.picture.colour.iccProfile = load("colour-gray-linear.png").colour.iccProfile;
    expectIgnored(grayProfileOnColour, "a profile for gray colours on RGB pixels");

    // Six bytes that are the key of code points converted just before are
    // still no profile.
    Decoded displayP3 = loadWithNotes("jpeg-blocks.jpg");
    displayP3.picture.colour.cicpPrimaries = 12;
    displayP3.picture.colour.cicpTransfer = 13;
    displayP3.picture.colour.cicpMatrix = 6;
    EXPECT_TRUE(convertToSrgb(displayP3.picture, cache).converted);
    Decoded sixBytes = loadWithNotes("jpeg-blocks.jpg");
    sixBytes.picture.colour.iccProfile = {0, 12, 0, 13, 0, 6};
    expectIgnored(sixBytes, "shorter than its header");
}

// Adobe RGB's profile (icc-profiles-free) with a tag's numbers changed: the
// colour library would apply each as it stands.
TEST(ColourProfile, ProfilesThatMakeNoSenseAreIgnoredWithAReason)
{
    ColourCache cache;
    const std::vector<std::uint8_t> adobe = load("colour-adobergb.png").colour.iccProfile;
    // Where a tag's data start (the profile is smaller than 64 KB).
    auto dataOf = [](std::vector<std::uint8_t>& profile, std::string_view signature) {
        for (std::size_t entry = 132; entry < 132 + 12 * std::size_t(profile[131]); entry += 12)
            if (std::string_view(reinterpret_cast<const char*>(&profile[entry]), 4) == signature)
                return profile.data() + (profile[entry + 6] << 8 | profile[entry + 7]);
        ADD_FAILURE() << signature;
        return profile.data();
    };
    // The three s15Fixed16 numbers of an XYZ tag, each through `change`.
    auto changeXyz = [&dataOf](std::vector<std::uint8_t>& profile, std::string_view signature,
                               double (*change)(double)) {
        std::uint8_t* number = dataOf(profile, signature) + 8;
        for (int i = 0; i < 3; ++i, number += 4) {
            const auto value =
                std::int32_t(std::uint32_t(number[0]) << 24 | number[1] << 16 | number[2] << 8 | number[3]);
            const auto changed = std::uint32_t(std::int32_t(std::lround(change(value / 65536.0) * 65536.0)));
            for (int byte = 0; byte < 4; ++byte)
                number[byte] = std::uint8_t(changed >> (24 - 8 * byte));
        }
    };
    auto zero = [](double) { return 0.0; };
    const struct {
        std::string why;
        std::function<void(std::vector<std::uint8_t>&)> change;
    } cases[] = {
        {"colorants cannot be inverted", // every colour black
         [&](auto& profile) {
             for (const char* tag : {"rXYZ", "gXYZ", "bXYZ"})
                 changeXyz(profile, tag, zero);
         }},
        {"colorants cannot be inverted", [&](auto& profile) { changeXyz(profile, "bXYZ", zero); }}, // no blue
        {"turns white into", // white comes out yellow
         [&](auto& profile) { changeXyz(profile, "bXYZ", [](double v) { return v / 2; }); }},
        {"red curve is constant", // red at full whatever the file says: a curv of one entry, gamma 0
         [&](auto& profile) { std::fill_n(dataOf(profile, "rTRC") + 12, 2, 0); }},
    };
    for (const auto& [why, change] : cases) {
        SCOPED_TRACE(why);
        Decoded decoded = loadWithNotes("colour-adobergb.png");
        decoded.picture.colour.iccProfile = adobe;
        change(decoded.picture.colour.iccProfile);
        const std::vector<std::uint8_t> before = decoded.picture.pixels;
        toSrgb(decoded.picture, cache, decoded.notes);
        const Outcome outcome = outcomeOf(decoded.notes);
        EXPECT_FALSE(outcome.converted);
        EXPECT_NE(outcome.ignoredBecause.find(why), std::string::npos) << outcome.ignoredBecause;
        EXPECT_EQ(decoded.picture.pixels, before);
    }
}

// The profile claims 600 MB; libpng reads the claim and inflates nothing more.
TEST(ColourProfile, PngProfileBombIsRefusedFastAndThePictureStillLoads)
{
    const Decoded bomb = loadWithNotes("colour-iccp-bomb.png");
    EXPECT_TRUE(allPixelsAre(bomb.picture, baseColour));
    EXPECT_TRUE(bomb.picture.colour.iccProfile.empty());
    const std::string why = outcomeOf(bomb.notes).ignoredBecause;
    EXPECT_NE(why.find("iCCP"), std::string::npos) << why;

    const ChildLoadReport report = loadInChild(readFixture("colour-iccp-bomb.png"));
    ASSERT_TRUE(report.ran);
    EXPECT_TRUE(report.loaded);
    EXPECT_LT(report.milliseconds, 100.0);
    EXPECT_LT(report.peakRiseKiB, 16 * 1024) << "KiB";
}

// Alpha is not a colour: it passes through the transform untouched.
TEST(ColourProfile, AlphaPassesThrough)
{
    ColourCache cache;
    Picture picture = load("png-rgba.png");
    ASSERT_EQ(picture.depth, 32);
    picture.colour.iccProfile = load("colour-swap.jpg").colour.iccProfile;
    Picture before = picture;
    EXPECT_TRUE(convertToSrgb(picture, cache).converted);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            ASSERT_EQ(alphaAt(picture, x, y), alphaAt(before, x, y));
            ASSERT_TRUE(near(pixelAt(picture, x, y), swapped(pixelAt(before, x, y)), 1));
        }
}

// The matrix-shaper path works through a row in stretches and vectors of
// pixels; a colour comes out the same wherever it stands, at the end of a
// row or a stretch, at 24 and 32 bits.
TEST(ColourProfile, EachColourComesOutTheSameWhereverItStandsInARow)
{
    ColourCache cache;
    const std::vector<std::uint8_t> adobe = load("colour-adobergb.png").colour.iccProfile;
    auto colourOf = [](std::int32_t x, int channel) { return std::uint8_t((x % 11) * 23 + channel * 71); };
    std::map<std::array<std::uint8_t, 3>, std::array<std::uint8_t, 3>> seen;
    for (const int depth : {24, 32})
        for (const std::int32_t width :
             {1, 2, 3, 4, 5, 7, 9, 63, 64, 65, 131, MatrixShaper::kStretch - 1, MatrixShaper::kStretch,
              MatrixShaper::kStretch + 1, 2 * MatrixShaper::kStretch + 3}) {
            SCOPED_TRACE(std::to_string(width) + " pixels at " + std::to_string(depth) + " bits");
            Picture picture = madePicture(width, 2, depth, [&](std::int32_t x, std::int32_t, int channel) {
                return channel == 3 ? std::uint8_t(x) : colourOf(x, channel);
            });
            picture.colour.iccProfile = adobe;
            ASSERT_TRUE(convertToSrgb(picture, cache).converted);
            for (std::int32_t y = 0; y < 2; ++y)
                for (std::int32_t x = 0; x < width; ++x) {
                    const std::array<std::uint8_t, 3> in{colourOf(x, 0), colourOf(x, 1), colourOf(x, 2)};
                    const std::array<std::uint8_t, 3> out{channelAt(picture, x, y, 0), channelAt(picture, x, y, 1),
                                                          channelAt(picture, x, y, 2)};
                    EXPECT_EQ(seen.try_emplace(in, out).first->second, out) << "pixel " << x;
                    if (depth == 32) {
                        EXPECT_EQ(channelAt(picture, x, y, 3), std::uint8_t(x));
                    }
                }
        }
}

// Where the processor has them, the matrix-shaper path looks up and mixes
// 8-bit rows with wide vectors; SSE2 must give the same bytes for every
// colour (the copies of tagged pictures depend on it), at 24 and 32 bits,
// for matrices with negative entries (Adobe RGB, ProPhoto) and one that
// moves a channel (red and green swapped), with rows that end in a part of
// a stretch.
TEST(ColourProfile, WideLookupsGiveTheSameBytesAsSse2ForEveryColour)
{
    if (!MatrixShaper::hasWideLookups())
        GTEST_SKIP() << "this processor has no AVX-512 byte permutes";
    const ProfileHandle srgb(cmsCreate_sRGBProfile());
    for (const char* name : {"colour-adobergb.png", "colour-prophoto.png", "colour-swap.jpg"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> bytes = load(name).colour.iccProfile;
        const ProfileHandle profile(cmsOpenProfileFromMem(bytes.data(), cmsUInt32Number(bytes.size())));
        auto shaper = MatrixShaper::from(profile.get(), srgb.get());
        ASSERT_TRUE(shaper.ok()) << shaper.error();
        // Each row holds every green and blue beside one red; the 4-byte
        // pixels carry an alpha of their own that must survive.
        constexpr std::int32_t width = 65536 + 37;
        for (const int bytesPerPixel : {3, 4})
            for (int red = 0; red < 256; red += bytesPerPixel == 3 ? 1 : 5) {
                std::vector<std::uint8_t> wide(std::size_t(width) * std::size_t(bytesPerPixel));
                for (std::int32_t x = 0; x < width; ++x) {
                    std::uint8_t* pixel = wide.data() + std::size_t(x) * std::size_t(bytesPerPixel);
                    pixel[0] = std::uint8_t(x);
                    pixel[1] = std::uint8_t(x >> 8);
                    pixel[2] = std::uint8_t(red);
                    if (bytesPerPixel == 4)
                        pixel[3] = std::uint8_t(x * 7 + red);
                }
                std::vector<std::uint8_t> plain = wide;
                shaper->convertRow(wide.data(), width, bytesPerPixel, MatrixShaper::Instructions::Widest);
                shaper->convertRow(plain.data(), width, bytesPerPixel, MatrixShaper::Instructions::Sse2);
                ASSERT_EQ(wide, plain) << "red " << red << ", " << bytesPerPixel << " bytes per pixel";
            }
    }
}

// The wide way back to sRGB's levels answers from tables made of the plain
// table's staircase; every one of the 16385 values of linear light must get
// the plain table's level, in each of the three channels, and a 4-byte
// pixel's alpha must stay.
TEST(ColourProfile, WideLevelsAreThePlainTablesForEveryValueOfLinearLight)
{
    if (!hasWideLevels())
        GTEST_SKIP() << "this processor has no AVX-512 byte permutes";
    constexpr int count = (kLinearSteps + 1 + 63) / 64 * 64;
    std::vector<std::int16_t> rising(count), falling(count), scattered(count);
    for (int i = 0; i < count; ++i) {
        const int value = std::min(i, kLinearSteps);
        rising[std::size_t(i)] = std::int16_t(value);
        falling[std::size_t(i)] = std::int16_t(kLinearSteps - value);
        scattered[std::size_t(i)] = std::int16_t(i * 7919 % (kLinearSteps + 1));
    }
    const std::uint8_t* levels = srgbLevels();
    for (const int bytesPerPixel : {3, 4}) {
        std::vector<std::uint8_t> pixels(std::size_t(count) * std::size_t(bytesPerPixel), 0x5A);
        wideLevels(rising.data(), falling.data(), scattered.data(), count, pixels.data(), bytesPerPixel);
        for (std::size_t i = 0; i < std::size_t(count); ++i) {
            const std::uint8_t* pixel = pixels.data() + i * std::size_t(bytesPerPixel);
            ASSERT_EQ(pixel[0], levels[scattered[i]]) << "blue " << scattered[i];
            ASSERT_EQ(pixel[1], levels[falling[i]]) << "green " << falling[i];
            ASSERT_EQ(pixel[2], levels[rising[i]]) << "red " << rising[i];
            if (bytesPerPixel == 4) {
                ASSERT_EQ(pixel[3], 0x5A) << "alpha of pixel " << i;
            }
        }
    }
}

// HEIF and AVIF files name their colours by code points instead.
TEST(ColourProfile, CodePointsActAsTheProfileTheyName)
{
    ColourCache cache;
    Picture byProfile = load("colour-display-p3.png");
    Picture byCodePoints = byProfile;
    byCodePoints.colour = {};
    byCodePoints.colour.cicpPrimaries = 12; // Display P3
    byCodePoints.colour.cicpTransfer = 13;  // sRGB
    byCodePoints.colour.cicpMatrix = 6;
    EXPECT_TRUE(convertToSrgb(byProfile, cache).converted);
    EXPECT_TRUE(convertToSrgb(byCodePoints, cache).converted);
    EXPECT_LE(largestDifference(byProfile, byCodePoints), 1);

    Picture srgb = load("colour-display-p3.png");
    srgb.colour = {};
    srgb.colour.cicpPrimaries = 1;
    srgb.colour.cicpTransfer = 13;
    const std::vector<std::uint8_t> before = srgb.pixels;
    EXPECT_FALSE(convertToSrgb(srgb, cache).converted);
    EXPECT_EQ(srgb.pixels, before);

    Picture hdr = load("colour-display-p3.png");
    hdr.colour = {};
    hdr.colour.cicpPrimaries = 9; // BT.2020
    hdr.colour.cicpTransfer = 16; // PQ
    const Outcome outcome = convertToSrgb(hdr, cache);
    EXPECT_FALSE(outcome.converted);
    EXPECT_NE(outcome.ignoredBecause.find("HDR"), std::string::npos) << outcome.ignoredBecause;
}
