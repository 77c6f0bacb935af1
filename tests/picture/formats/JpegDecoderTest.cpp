#include "picture/DecoderTesting.h"
#include "picture/JpegWriting.h"

#include <gtest/gtest.h>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

// Flat 8 x 8 blocks survive a quality-95 JPEG within a few levels.
constexpr int jpegTolerance = 6;

Result<Decoded> loadJpeg(const std::string& name, const LoadOptions& options = {})
{
    Result<Decoded> result = loadFixture(name, options);
    EXPECT_TRUE(result.ok()) << name << ": " << result.error();
    EXPECT_EQ(result->picture.format, Format::Jpeg);
    EXPECT_EQ(result->picture.depth, 24);
    return result;
}

} // namespace

TEST(JpegDecoder, ColourFilesGiveTheirBlocksInBlueGreenRedOrder)
{
    for (const char* name : {"jpeg-blocks.jpg", "jpeg-progressive.jpg", "jpeg-rgb.jpg"}) {
        SCOPED_TRACE(name);
        const Result<Decoded> result = loadJpeg(name);
        EXPECT_EQ(result->picture.width, 24);
        EXPECT_EQ(result->picture.height, 16);
        EXPECT_EQ(result->picture.sourceDepth, 24);
        EXPECT_EQ(result->picture.stride, 72);
        EXPECT_EQ(result->picture.fullSize, (Size{24, 16}));
        EXPECT_TRUE(allPixelsAre(result->picture, blockColour, jpegTolerance));
    }
}

TEST(JpegDecoder, GrayFileBecomesThreeEqualChannels)
{
    const Result<Decoded> result = loadJpeg("jpeg-gray.jpg");
    EXPECT_EQ(result->picture.sourceDepth, 24);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) {
            const Rgb c = pixelAt(result->picture, x, y);
            ASSERT_TRUE(c.r == c.g && c.g == c.b) << x << "," << y;
        }
    // Red's luma is 76, white's 255.
    EXPECT_NEAR(pixelAt(result->picture, 0, 0).r, 76, 3);
    EXPECT_NEAR(pixelAt(result->picture, 12, 12).r, 255, 3);
}

TEST(JpegDecoder, CmykFileIsHeldAt24BitsWithSourceDepth32)
{
    const Result<Decoded> result = loadJpeg("jpeg-cmyk.jpg");
    EXPECT_EQ(result->picture.sourceDepth, 32);
    EXPECT_EQ(result->picture.width, 24);
    // The writer stores inverted CMYK (Adobe style), which the formula turns back.
    for (int y : {4, 12})
        for (int x : {4, 12, 20})
            EXPECT_TRUE(near(pixelAt(result->picture, x, y), blockColour(x, y), jpegTolerance)) << x << "," << y;
}

TEST(JpegDecoder, CmykSamplesAreMultipliedByBlack)
{
    // As the library delivers them: C=255, M=0, Y=128, K=255 (flat, so exact
    // at quality 100). Blue = Y*K/255, green = M*K/255, red = C*K/255.
    const auto bytes = writeJpeg({16, 16, JCS_CMYK, JCS_CMYK, 100},
                                 [](int, int, std::uint8_t* s) { s[0] = 255, s[1] = 0, s[2] = 128, s[3] = 255; });
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.sourceDepth, 32);
    EXPECT_EQ(pixelAt(result->picture, 5, 5), (Rgb{255, 0, 128}));

    // A half black drops each product's fraction: 200*100/255 = 78.4 -> 78.
    const auto half = writeJpeg({16, 16, JCS_CMYK, JCS_CMYK, 100},
                                [](int, int, std::uint8_t* s) { s[0] = 200, s[1] = 10, s[2] = 255, s[3] = 100; });
    const Result<Decoded> halfResult = decodeBytes(half);
    ASSERT_TRUE(halfResult.ok()) << halfResult.error();
    EXPECT_EQ(pixelAt(halfResult->picture, 0, 0), (Rgb{78, 3, 100}));
}

TEST(JpegDecoder, YcckFileIsDecodedThroughCmyk)
{
    const auto bytes = writeJpeg({16, 16, JCS_CMYK, JCS_YCCK, 100},
                                 [](int, int, std::uint8_t* s) { s[0] = 255, s[1] = 0, s[2] = 128, s[3] = 255; });
    const Result<Decoded> result = decodeBytes(bytes);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.sourceDepth, 32);
    EXPECT_TRUE(near(pixelAt(result->picture, 5, 5), Rgb{255, 0, 128}, 2)) << pixelAt(result->picture, 5, 5);
}

// The picture is what the file still holds, and its notes say it is damaged;
// a whole file has nothing to say.
TEST(JpegDecoder, TruncatedFileLoadsWithWhatTheLibrarySuppliesAndANote)
{
    const Result<Decoded> result = loadJpeg("jpeg-truncated.jpg");
    EXPECT_EQ(result->picture.width, 64);
    EXPECT_EQ(result->picture.height, 48);
    // The top-left corner was in the bytes that arrived: the gradient starts dark.
    EXPECT_TRUE(near(pixelAt(result->picture, 0, 0), Rgb{0, 0, 0}, 12)) << pixelAt(result->picture, 0, 0);
    ASSERT_FALSE(result->notes.empty());
    EXPECT_EQ(result->notes[0], (Note{Note::Kind::Damaged, "JPEG: Premature end of JPEG file"}));
    for (const Note& note : result->notes)
        EXPECT_EQ(note.kind, Note::Kind::Damaged) << note.text;

    // Shrunk on load, the rows go another way; the note comes all the same.
    LoadOptions shrink;
    shrink.targetSizeFor = [](Size) { return Size{16, 12}; };
    EXPECT_EQ(loadJpeg("jpeg-truncated.jpg", shrink)->notes, result->notes);
    EXPECT_TRUE(loadJpeg("jpeg-progressive.jpg")->notes.empty());
}

TEST(JpegDecoder, HeaderOverTheBudgetFailsBeforeDecoding)
{
    auto bytes = readFixture("jpeg-blocks.jpg");
    // Patch the frame header's height and width (after FFC0/FFC2, length, precision).
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = 0xFF, bytes[i + 6] = 0xDC; // height 65500
            bytes[i + 7] = 0xFF, bytes[i + 8] = 0xDC; // width 65500
            break;
        }
    }
    const Result<Decoded> result = decodeBytes(bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error(), "picture too large: 65500 x 65500 pixels");
}
