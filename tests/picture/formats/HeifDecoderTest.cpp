#include "picture/DecoderTesting.h"
#include "picture/formats/Heif.h"
#include "picture/formats/RgbRows.h"

#include <gtest/gtest.h>

#include <libheif/heif.h>

#include <algorithm>
#include <memory>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

// HEVC and AV1 at quality 95 keep flat 8 x 8 blocks close; the block
// centres hold their colours.
constexpr int kLossyTolerance = 12;

::testing::AssertionResult blockCentresAre(const Picture& picture, Rgb (*expected)(int, int))
{
    for (int y = 4; y < picture.height; y += 8)
        for (int x = 4; x < picture.width; x += 8) {
            const Rgb got = pixelAt(picture, x, y);
            if (!near(got, expected(x, y), kLossyTolerance))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is " << got << ", expected " << expected(x, y);
        }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(HeifDecoder, HeicAndAvifGiveTheBlocks)
{
    for (const char* file : {"heic-blocks.heic", "avif-blocks.avif"}) {
        SCOPED_TRACE(file);
        const Result<Decoded> result = loadFixture(file);
        ASSERT_TRUE(result.ok()) << result.error();
        EXPECT_EQ(result->picture.format, Format::Heif);
        EXPECT_EQ(result->picture.depth, 24);
        EXPECT_EQ(result->picture.sourceDepth, 24);
        EXPECT_EQ((Size{result->picture.width, result->picture.height}), (Size{24, 16}));
        EXPECT_EQ(result->picture.fullSize, (Size{24, 16}));
        EXPECT_TRUE(blockCentresAre(result->picture, blockColour));
    }
}

// The file holds the blocks as coded (24 x 16) and a quarter turn
// anticlockwise in its container: the picture and the size the copy's size
// is computed from are upright.
TEST(HeifDecoder, RotationOfTheContainerIsApplied)
{
    const Result<Decoded> result = loadFixture("heic-rotated.heic");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ((Size{result->picture.width, result->picture.height}), (Size{16, 24}));
    EXPECT_EQ(result->picture.fullSize, (Size{16, 24}));
    // Upright (x, y) shows stored (23 − y, x).
    EXPECT_TRUE(blockCentresAre(result->picture, [](int x, int y) { return blockColour(23 - y, x); }))
        << "corners: " << pixelAt(result->picture, 0, 0) << " " << pixelAt(result->picture, 15, 0);
}

TEST(HeifDecoder, AlphaIsKept)
{
    const Result<Decoded> result = loadFixture("heic-alpha.heic");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.depth, 32);
    EXPECT_EQ(result->picture.sourceDepth, 32);
    EXPECT_TRUE(blockCentresAre(result->picture, blockColour));
    // Left, middle and right thirds: opaque, half, clear.
    EXPECT_NEAR(alphaAt(result->picture, 4, 4), 255, kLossyTolerance);
    EXPECT_NEAR(alphaAt(result->picture, 12, 4), 128, kLossyTolerance);
    EXPECT_NEAR(alphaAt(result->picture, 20, 12), 0, kLossyTolerance);
}

// Each 8-bit sample is the nearest to the 10-bit one, never the one below
// (a plain shift by two bits would make about half of them one too dark).
TEST(HeifDecoder, TenBitSamplesAreRoundedToEightBits)
{
    const auto bytes = readFixture("heic-10bit.heic");
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    const Picture& picture = result->picture;

    // The same file decoded by libheif at its own depth.
    std::unique_ptr<heif_context, decltype(&heif_context_free)> context(heif_context_alloc(), heif_context_free);
    ASSERT_EQ(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr).code,
              heif_error_Ok);
    heif_image_handle* handle = nullptr;
    ASSERT_EQ(heif_context_get_primary_image_handle(context.get(), &handle).code, heif_error_Ok);
    std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)> handleOwner(handle,
                                                                                         heif_image_handle_release);
    ASSERT_EQ(heif_image_handle_get_luma_bits_per_pixel(handle), 10);
    heif_image* image = nullptr;
    ASSERT_EQ(heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RRGGBB_LE, nullptr).code,
              heif_error_Ok);
    std::unique_ptr<heif_image, decltype(&heif_image_release)> imageOwner(image, heif_image_release);
    int stride = 0;
    const std::uint8_t* deep = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    ASSERT_EQ(picture.width, 64);
    ASSERT_EQ(picture.height, 48);

    int roundedUp = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const std::uint8_t* word = deep + y * stride + (x * 3 + c) * 2;
                const int value = word[0] | (word[1] << 8);
                const int rounded = (value * 255 + 511) / 1023;
                const Rgb got = pixelAt(picture, x, y);
                const int ours = c == 0 ? got.r : c == 1 ? got.g : got.b;
                ASSERT_EQ(ours, rounded) << "(" << x << "," << y << ") channel " << c << " of " << value;
                roundedUp += rounded != (value >> 2);
            }
    EXPECT_GT(roundedUp, 100) << "the fixture should tell rounding from cutting";
}

// The fixture above is 10-bit; 12 bits and damaged values take the same table.
TEST(HeifDecoder, DeepSamplesKeepBothEndsAtAnyDepth)
{
    const DeepSampleReduction ten(10), twelve(12);
    EXPECT_EQ(ten(0), 0);
    EXPECT_EQ(ten(1023), 255);
    EXPECT_EQ(ten(5000), 255) << "a value over the range counts as the maximum";
    EXPECT_EQ(twelve(4095), 255);
    EXPECT_EQ(twelve(2048), 128);
}

TEST(HeifDecoder, ProbeReadsTheBrandsOfTheFileTypeBox)
{
    auto fileType = [](const char* major, std::initializer_list<const char*> compatible) {
        std::vector<std::uint8_t> bytes{0, 0, 0, 0, 'f', 't', 'y', 'p'};
        bytes.insert(bytes.end(), major, major + 4);
        bytes.insert(bytes.end(), {0, 0, 0, 0});
        for (const char* brand : compatible)
            bytes.insert(bytes.end(), brand, brand + 4);
        bytes[3] = std::uint8_t(bytes.size());
        return bytes;
    };
    auto probe = [](const std::vector<std::uint8_t>& bytes) { return probeHeif({bytes.data(), bytes.size()}); };
    EXPECT_TRUE(probe(fileType("heic", {"mif1"})));
    EXPECT_TRUE(probe(fileType("avif", {})));
    EXPECT_TRUE(probe(fileType("isom", {"iso2", "mif1"})));
    EXPECT_FALSE(probe(fileType("isom", {"iso2", "mp41"}))) << "a video";
    EXPECT_FALSE(probe(fileType("qt  ", {})));
    // The minor version is no brand.
    auto minor = fileType("isom", {});
    std::memcpy(&minor[12], "heic", 4);
    EXPECT_FALSE(probe(minor));
}

// What the file says about its colours reaches the colour conversion: the
// whole ICC profile of a colr box, the code points of an nclx box.
TEST(HeifDecoder, ColourBoxesAreHandedOn)
{
    const Result<Decoded> tagged = loadFixture("heic-adobergb.heic");
    ASSERT_TRUE(tagged.ok()) << tagged.error();
    const std::vector<std::uint8_t>& profile = tagged->picture.colour.iccProfile;
    ASSERT_EQ(profile.size(), 580u);
    EXPECT_EQ(profile[3], 580 % 256); // the profile's own size field
    EXPECT_EQ(std::string(profile.begin() + 36, profile.begin() + 40), "acsp");

    const Result<Decoded> avif = loadFixture("avif-blocks.avif");
    ASSERT_TRUE(avif.ok()) << avif.error();
    EXPECT_TRUE(avif->picture.colour.iccProfile.empty());
    EXPECT_EQ(avif->picture.colour.cicpPrimaries, 2); // unspecified, as heif-enc writes it
    EXPECT_EQ(avif->picture.colour.cicpTransfer, 2);
    EXPECT_EQ(avif->picture.colour.cicpMatrix, 6);
}

// Shrink-on-load hands the rows to the streaming average: the very bytes a
// full decode scaled by scalePicture gives, for 8 and 10 bits, upright.
TEST(HeifDecoder, OpaquePictureShrinksOnLoadToTheBytesOfAFullDecode)
{
    LoadOptions shrinking;
    shrinking.targetSizeFor = [](Size full) { return Size{full.width * 5 / 8, full.height * 5 / 8}; };
    for (const char* file : {"heic-rotated.heic", "heic-10bit.heic"}) {
        SCOPED_TRACE(file);
        Result<Decoded> whole = loadFixture(file);
        const Result<Decoded> shrunk = loadFixture(file, shrinking);
        ASSERT_TRUE(whole.ok()) << whole.error();
        ASSERT_TRUE(shrunk.ok()) << shrunk.error();
        const Size target = shrinking.targetSizeFor(whole->picture.fullSize);
        ASSERT_TRUE(scalePicture(whole->picture, target.width, target.height).ok());
        EXPECT_EQ((Size{shrunk->picture.width, shrunk->picture.height}), target);
        EXPECT_EQ(shrunk->picture.fullSize, whole->picture.fullSize);
        EXPECT_EQ(shrunk->picture.pixels, whole->picture.pixels);
    }
    const Result<Decoded> alpha = loadFixture("heic-alpha.heic", shrinking);
    ASSERT_TRUE(alpha.ok()) << alpha.error();
    EXPECT_EQ((Size{alpha->picture.width, alpha->picture.height}), (Size{24, 16})) << "alpha is left to the resampler";
}
