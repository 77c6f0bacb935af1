#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

TEST(TiffDecoder, FilesAreHeldAt32BitsWithTheirSourceDepth)
{
    struct Row {
        const char* file;
        int sourceDepth;
        int tolerance;
    };
    for (const Row& row :
         {Row{"tiff-rgb.tif", 24, 0}, Row{"tiff-rgb-bigendian.tif", 24, 0}, Row{"tiff-lzw.tif", 24, 0}}) {
        SCOPED_TRACE(row.file);
        const Result<Decoded> result = loadFixture(row.file);
        ASSERT_TRUE(result.ok()) << result.error();
        const Picture& picture = result->picture;
        EXPECT_EQ(picture.format, Format::Tiff);
        EXPECT_EQ(picture.depth, 32);
        EXPECT_EQ(picture.sourceDepth, row.sourceDepth);
        EXPECT_EQ(picture.width, 7);
        EXPECT_EQ(picture.height, 5);
        EXPECT_EQ(picture.stride, 28);
        EXPECT_TRUE(allPixelsAre(picture, baseColour, row.tolerance));
        EXPECT_EQ(alphaAt(picture, 3, 2), 255);
    }
}

TEST(TiffDecoder, JpegCompressedFileIsDecodedThroughLibjpeg)
{
    const Result<Decoded> result = loadFixture("tiff-jpeg.tif");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.sourceDepth, 24);
    EXPECT_EQ(result->picture.width, 24);
    // Subsampled chroma bleeds across block edges; the block centres hold.
    for (int y : {4, 12})
        for (int x : {4, 12, 20})
            EXPECT_TRUE(near(pixelAt(result->picture, x, y), blockColour(x, y), 24))
                << x << "," << y << ": " << pixelAt(result->picture, x, y);
}

TEST(TiffDecoder, GrayFileReportsEightBits)
{
    const Result<Decoded> result = loadFixture("tiff-gray.tif");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.sourceDepth, 8);
    EXPECT_EQ(pixelAt(result->picture, 2, 1), (Rgb{77, 77, 77}));
}

TEST(TiffDecoder, OldStyleJpegIsRefused)
{
    const Result<Decoded> result = loadFixture("tiff-ojpeg.tif");
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error().find("compression 6"), std::string::npos) << result.error();
}

TEST(TiffDecoder, HugeSizesFailBeforeTheRasterIsAllocated)
{
    auto bytes = readFixture("tiff-rgb.tif");
    std::uint32_t directory = 0;
    std::memcpy(&directory, &bytes[4], 4);
    std::uint16_t count = 0;
    std::memcpy(&count, &bytes[directory], 2);
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint8_t* entry = &bytes[directory + 2 + 12 * i];
        std::uint16_t tag = 0, type = 0;
        std::memcpy(&tag, entry, 2);
        std::memcpy(&type, entry + 2, 2);
        if (tag != 256 && tag != 257)
            continue;
        if (type == 3) { // SHORT: the largest a short can say
            const std::uint16_t side = 65535;
            std::memcpy(entry + 8, &side, 2);
        } else {
            const std::uint32_t side = 100000;
            std::memcpy(entry + 8, &side, 4);
        }
    }
    const Result<Decoded> result = decodeBytes(bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error().find("too large"), std::string::npos) << result.error();
}

TEST(TiffDecoder, UnreadableRasterFailsTheLoad)
{
    // The strip offsets point past the end of the file: libtiff opens the file
    // but cannot deliver pixels.
    auto bytes = readFixture("tiff-rgb.tif");
    std::uint32_t directory = 0;
    std::memcpy(&directory, &bytes[4], 4);
    std::uint16_t count = 0;
    std::memcpy(&count, &bytes[directory], 2);
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint8_t* entry = &bytes[directory + 2 + 12 * i];
        std::uint16_t tag = 0;
        std::memcpy(&tag, entry, 2);
        if (tag == 273) {
            const std::uint32_t farAway = 0x7FFFFF00;
            std::memcpy(entry + 8, &farAway, 4);
        }
    }
    const Result<Decoded> result = decodeBytes(bytes);
    EXPECT_FALSE(result.ok());
    EXPECT_NE(result.error().find("TIFF"), std::string::npos) << result.error();
}

TEST(TiffDecoder, AlphaIsHeldStraight)
{
    // Straight alpha in the file stays as it is, at 8 and 16 bits per sample.
    for (const char* name : {"tiff-rgba-unassociated.tif", "tiff-rgba16-unassociated.tif"}) {
        SCOPED_TRACE(name);
        const Result<Decoded> result = loadFixture(name);
        ASSERT_TRUE(result.ok()) << result.error();
        EXPECT_TRUE(allPixelsAre(result->picture, [](int, int) { return Rgb{121, 109, 58}; }));
        EXPECT_EQ(alphaAt(result->picture, 0, 0), 127);
        EXPECT_EQ(alphaAt(result->picture, 1, 0), 255);
    }
    // Premultiplied colours in the file are divided by their alpha.
    const Result<Decoded> associated = loadFixture("tiff-rgba-associated.tif");
    ASSERT_TRUE(associated.ok()) << associated.error();
    EXPECT_TRUE(allPixelsAre(associated->picture, baseColour));
    EXPECT_EQ(alphaAt(associated->picture, 2, 2), 127);
    EXPECT_EQ(alphaAt(associated->picture, 2, 1), 255);
}

// A TIFF cut short in its strips loads the strips it holds, noted as
// damaged, the rows it no longer holds grey; one cut in its directory has
// nothing to show.
TEST(TiffDecoder, FileCutShortLoadsTheStripsItHolds)
{
    const Result<Decoded> whole = loadFixture("tiff-photo-strips.tif");
    ASSERT_TRUE(whole.ok()) << whole.error();
    EXPECT_TRUE(whole->notes.empty());
    const Picture& photo = whole->picture;
    std::vector<std::uint8_t> bytes = readFixture("tiff-photo-strips.tif");
    const std::size_t stripBytes = std::size_t(photo.width) * 3 * 8;
    const std::size_t pixelsStart = bytes.size() - 6 * stripBytes;
    bytes.resize(pixelsStart + 3 * stripBytes + stripBytes / 2); // three strips and a half
    const Result<Decoded> cut = decodeBytes(bytes);
    ASSERT_TRUE(cut.ok()) << cut.error();
    const Picture& held = cut->picture;
    for (std::int32_t y = 0; y < held.height; ++y)
        for (std::int32_t x = 0; x < held.width; ++x)
            ASSERT_EQ(pixelAt(held, x, y), (y < 24 ? pixelAt(photo, x, y) : Rgb{128, 128, 128})) << x << "," << y;
    ASSERT_FALSE(cut->notes.empty());
    for (const Note& note : cut->notes)
        EXPECT_EQ(note.kind, Note::Kind::Damaged) << note.text;

    bytes.resize(60);
    EXPECT_FALSE(decodeBytes(bytes).ok());
}
