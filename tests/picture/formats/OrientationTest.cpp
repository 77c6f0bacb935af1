#include "picture/DecoderTesting.h"
#include "picture/formats/ExifOrientation.h"

#include <gtest/gtest.h>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

const Rgb red{255, 0, 0}, blue{0, 0, 255}, yellow{255, 255, 0}, magenta{255, 0, 255};

struct Corners {
    Rgb topLeft, topRight, bottomLeft, bottomRight;
};

void expectCorners(const Picture& picture, const Corners& want)
{
    const std::int32_t right = picture.width - 1, bottom = picture.height - 1;
    EXPECT_TRUE(near(pixelAt(picture, 0, 0), want.topLeft, 8)) << pixelAt(picture, 0, 0);
    EXPECT_TRUE(near(pixelAt(picture, right, 0), want.topRight, 8)) << pixelAt(picture, right, 0);
    EXPECT_TRUE(near(pixelAt(picture, 0, bottom), want.bottomLeft, 8)) << pixelAt(picture, 0, bottom);
    EXPECT_TRUE(near(pixelAt(picture, right, bottom), want.bottomRight, 8)) << pixelAt(picture, right, bottom);
}

} // namespace

TEST(ExifOrientation, EachOrientationTurnsThePixelsUpright)
{
    // The stored 24 x 16 picture has red, blue, yellow, magenta at its
    // top-left, top-right, bottom-left, bottom-right corners.
    const Corners expected[9] = {
        {},
        {red, blue, yellow, magenta}, // 1 as stored
        {blue, red, magenta, yellow}, // 2 mirrored left-right
        {magenta, yellow, blue, red}, // 3 turned half round
        {yellow, magenta, red, blue}, // 4 mirrored top-bottom
        {red, yellow, blue, magenta}, // 5 mirrored along the main diagonal
        {yellow, red, magenta, blue}, // 6 turned a quarter clockwise
        {magenta, blue, yellow, red}, // 7 mirrored along the other diagonal
        {blue, magenta, red, yellow}, // 8 turned a quarter anticlockwise
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const Result<Decoded> result = loadFixture("jpeg-orientation-" + std::to_string(orientation) + ".jpg");
        ASSERT_TRUE(result.ok()) << result.error();
        const Picture& picture = result->picture;
        const bool quarter = orientation >= 5;
        EXPECT_EQ(picture.width, quarter ? 16 : 24);
        EXPECT_EQ(picture.height, quarter ? 24 : 16);
        EXPECT_EQ(picture.stride, strideFor(picture.width, 24));
        EXPECT_EQ(picture.fullSize, (Size{picture.width, picture.height}));
        expectCorners(picture, expected[orientation]);
    }
}

TEST(ExifOrientation, BigEndianBlockIsRead)
{
    const Result<Decoded> result = loadFixture("jpeg-orientation-6-bigendian.jpg");
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.width, 16);
    expectCorners(result->picture, {yellow, red, magenta, blue});
}

TEST(ExifOrientation, CanBeSwitchedOff)
{
    LoadOptions options;
    options.applyExifOrientation = false;
    const Result<Decoded> result = loadFixture("jpeg-orientation-6.jpg", options);
    ASSERT_TRUE(result.ok()) << result.error();
    EXPECT_EQ(result->picture.width, 24);
    expectCorners(result->picture, {red, blue, yellow, magenta});
}

TEST(ExifOrientation, DamagedBlocksReadAsUpright)
{
    auto block = [](std::vector<std::uint8_t> tiff) {
        std::vector<std::uint8_t> payload = {'E', 'x', 'i', 'f', 0, 0};
        payload.insert(payload.end(), tiff.begin(), tiff.end());
        return payload;
    };
    auto orientationOf = [](const std::vector<std::uint8_t>& payload) {
        return readExifOrientation({payload.data(), payload.size()});
    };
    const auto good = block({'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0});
    EXPECT_EQ(orientationOf(good), 6);
    // Cut anywhere, the block reads as upright and nothing is read past its end.
    for (std::size_t length = 0; length < good.size(); ++length)
        EXPECT_EQ(orientationOf({good.begin(), good.begin() + std::ptrdiff_t(length)}), 1) << length;
    EXPECT_EQ(orientationOf(block({'I', 'I', 42, 0, 0xFF, 0xFF, 0, 0})), 1);       // directory past the end
    EXPECT_EQ(orientationOf(block({'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xFF})), 1); // huge entry count
    EXPECT_EQ(orientationOf(block({'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 9, 0, 0, 0})), 1);
    EXPECT_EQ(orientationOf(block({'X', 'X', 42, 0, 8, 0, 0, 0})), 1);
}
