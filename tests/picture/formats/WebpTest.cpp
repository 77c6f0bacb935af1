#include "picture/DecoderTesting.h"
#include "picture/TempFolder.h"

#include <gtest/gtest.h>

#include <webp/decode.h>

#include <cstring>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

// 1 lossy, 2 lossless, as libwebp reads the file's own bitstream.
int bitstreamKind(const std::vector<std::uint8_t>& bytes)
{
    WebPBitstreamFeatures features;
    return WebPGetFeatures(bytes.data(), bytes.size(), &features) == VP8_STATUS_OK ? features.format : -1;
}

::testing::AssertionResult samePixels(const Picture& a, const Picture& b)
{
    if (a.width != b.width || a.height != b.height || a.depth != b.depth)
        return ::testing::AssertionFailure() << a.width << "x" << a.height << "@" << int(a.depth) << " against "
                                             << b.width << "x" << b.height << "@" << int(b.depth);
    const std::size_t rowBytes = std::size_t(a.width) * (a.depth / 8);
    for (std::int32_t y = 0; y < a.height; ++y)
        if (std::memcmp(a.row(y), b.row(y), rowBytes) != 0)
            return ::testing::AssertionFailure() << "memory row " << y << " differs";
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(WebpDecoder, LossyAndLosslessFiles)
{
    const Result<Decoded> lossless = loadFixture("webp-lossless.webp");
    ASSERT_TRUE(lossless.ok()) << lossless.error();
    EXPECT_EQ(lossless->picture.format, Format::Webp);
    EXPECT_EQ(lossless->picture.depth, 24);
    EXPECT_EQ(lossless->picture.sourceDepth, 24);
    EXPECT_TRUE(lossless->picture.lossless);
    EXPECT_TRUE(allPixelsAre(lossless->picture, baseColour));

    const Result<Decoded> lossy = loadFixture("webp-lossy.webp");
    ASSERT_TRUE(lossy.ok()) << lossy.error();
    EXPECT_FALSE(lossy->picture.lossless);
    EXPECT_EQ(lossy->picture.width, 24);
    for (int y : {4, 12})
        for (int x : {4, 12, 20})
            EXPECT_TRUE(near(pixelAt(lossy->picture, x, y), blockColour(x, y), 12)) << x << "," << y;
}

// Made losslessly from png-rgba.png: the same colours and alpha to the byte.
TEST(WebpDecoder, AlphaIsKeptExactly)
{
    const Result<Decoded> webp = loadFixture("webp-alpha.webp");
    const Result<Decoded> png = loadFixture("png-rgba.png");
    ASSERT_TRUE(webp.ok()) << webp.error();
    ASSERT_TRUE(png.ok()) << png.error();
    EXPECT_EQ(webp->picture.sourceDepth, 32);
    EXPECT_TRUE(samePixels(webp->picture, png->picture));
}

TEST(WebpDecoder, AnimationGivesItsFirstFrame)
{
    const Result<Decoded> result = loadFixture("webp-animated.webp");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ((Size{result->picture.width, result->picture.height}), (Size{24, 16}));
    EXPECT_EQ(result->picture.depth, 24);
    EXPECT_TRUE(result->picture.lossless);
    EXPECT_TRUE(allPixelsAre(result->picture, blockColour)); // the second frame is the negative
}

// libwebp's own area average shrinks an opaque picture while it decodes; a
// picture with alpha comes whole, for the resampler that 32-bit pictures get.
TEST(WebpDecoder, OpaquePictureShrinksOnLoad)
{
    LoadOptions options;
    options.targetSizeFor = [](Size full) { return Size{full.width / 2, full.height / 2}; };
    const Result<Decoded> opaque = loadFixture("webp-lossy.webp", options);
    ASSERT_TRUE(opaque.ok()) << opaque.error();
    EXPECT_EQ((Size{opaque->picture.width, opaque->picture.height}), (Size{12, 8}));
    EXPECT_EQ(opaque->picture.fullSize, (Size{24, 16}));
    EXPECT_TRUE(near(pixelAt(opaque->picture, 6, 2), blockColour(12, 4), 16)) << pixelAt(opaque->picture, 6, 2);

    const Result<Decoded> alpha = loadFixture("webp-alpha.webp", options);
    ASSERT_TRUE(alpha.ok()) << alpha.error();
    EXPECT_EQ((Size{alpha->picture.width, alpha->picture.height}), (Size{7, 5}));
}

TEST(WebpEncoder, LosslessSourceIsCopiedWithoutLoss)
{
    TempFolder folder;
    for (const char* file : {"webp-lossless.webp", "webp-alpha.webp"}) {
        SCOPED_TRACE(file);
        const Result<Decoded> source = loadFixture(file);
        ASSERT_TRUE(source.ok()) << source.error();
        ASSERT_TRUE(savePicture(source->picture, folder / "copy.webp", Format::Webp, 1).ok());
        EXPECT_EQ(bitstreamKind(fileBytes(folder / "copy.webp")), 2);
        const Result<Decoded> copy = loadPicture(folder / "copy.webp");
        ASSERT_TRUE(copy.ok()) << copy.error();
        EXPECT_TRUE(samePixels(copy->picture, source->picture));
    }
}

TEST(WebpEncoder, LossySourceIsCopiedAtTheGradesQuality)
{
    TempFolder folder;
    const Result<Decoded> source = loadFixture("heic-blocks.heic");
    ASSERT_TRUE(source.ok()) << source.error();
    ASSERT_TRUE(savePicture(source->picture, folder / "low.webp", Format::Webp, 1).ok());
    ASSERT_TRUE(savePicture(source->picture, folder / "high.webp", Format::Webp, 9).ok());
    const auto low = fileBytes(folder / "low.webp"), high = fileBytes(folder / "high.webp");
    EXPECT_EQ(bitstreamKind(low), 1);
    EXPECT_LT(low.size(), high.size());
}

TEST(WebpDecoder, ProfileChunkIsHandedOn)
{
    const Result<Decoded> tagged = loadFixture("webp-adobergb.webp");
    ASSERT_TRUE(tagged.ok()) << tagged.error();
    const std::vector<std::uint8_t>& profile = tagged->picture.colour.iccProfile;
    ASSERT_EQ(profile.size(), 580u);
    EXPECT_EQ(std::string(profile.begin() + 36, profile.begin() + 40), "acsp");
    EXPECT_TRUE(loadFixture("webp-lossy.webp")->picture.colour.empty());
}
