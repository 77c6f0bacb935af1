// A small file whose header claims a huge picture must fail before any pixel
// memory is allocated, in every format, and quickly. Each load also runs in a
// child process that measures its time and memory, so a decoder that
// allocates first and checks later shows up even when the allocation succeeds.

#include "picture/ChildLoad.h"
#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

using Bytes = std::vector<std::uint8_t>;

void putLe(Bytes& out, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

void putBe(Bytes& out, std::uint32_t value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// About a kilobyte in all, like a real bomb: the header and a little data.
constexpr std::size_t kPayload = 1000;

Bytes bmpClaiming(std::uint32_t width, std::uint32_t height)
{
    Bytes out{'B', 'M'};
    putLe(out, 54 + kPayload, 4);
    putLe(out, 0, 4);
    putLe(out, 54, 4);
    putLe(out, 40, 4);
    putLe(out, width, 4);
    putLe(out, height, 4);
    putLe(out, 1, 2);  // planes
    putLe(out, 24, 2); // bits per pixel
    for (int i = 0; i < 6; ++i)
        putLe(out, 0, 4);
    out.resize(out.size() + kPayload, 0x55);
    return out;
}

void putPngChunk(Bytes& out, const char* type, const Bytes& data)
{
    putBe(out, std::uint32_t(data.size()), 4);
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const auto crc = crc32(0, out.data() + start, uInt(out.size() - start));
    putBe(out, std::uint32_t(crc), 4);
}

Bytes pngClaiming(std::uint32_t width, std::uint32_t height)
{
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    putBe(header, width, 4);
    putBe(header, height, 4);
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, no interlace
    putPngChunk(out, "IHDR", header);
    // A deflate stream of zero rows: a little data that inflates a lot.
    Bytes zeros(64 * 1024, 0);
    uLongf packedSize = compressBound(uLong(zeros.size()));
    Bytes packed(packedSize);
    compress(packed.data(), &packedSize, zeros.data(), uLong(zeros.size()));
    packed.resize(packedSize);
    putPngChunk(out, "IDAT", packed);
    putPngChunk(out, "IEND", {});
    return out;
}

Bytes tiffClaiming(std::uint32_t width, std::uint32_t height)
{
    Bytes out{'I', 'I', 42, 0};
    putLe(out, 8, 4); // first directory right after the header
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::uint32_t dataOffset = 8 + 2 + 9 * 12 + 4;
    const Entry entries[] = {
        {256, 4, width}, {257, 4, height}, {258, 3, 8},
        {259, 3, 1},     {262, 3, 2},      {273, 4, dataOffset},
        {277, 3, 3},     {278, 4, height}, {279, 4, std::uint32_t(kPayload)},
    };
    putLe(out, 9, 2);
    for (const Entry& entry : entries) {
        putLe(out, entry.tag, 2);
        putLe(out, entry.type, 2);
        putLe(out, 1, 4);
        putLe(out, entry.value, entry.type == 3 ? 2 : 4);
        if (entry.type == 3)
            putLe(out, 0, 2);
    }
    putLe(out, 0, 4); // no next directory
    out.resize(out.size() + kPayload, 0x55);
    return out;
}

// A real JPEG with its frame header patched: its sides are 16 bits, so
// 65535 is the most it can claim.
Bytes jpegClaiming(std::uint16_t width, std::uint16_t height)
{
    Bytes bytes = readFixture("jpeg-progressive.jpg");
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = std::uint8_t(height >> 8), bytes[i + 6] = std::uint8_t(height);
            bytes[i + 7] = std::uint8_t(width >> 8), bytes[i + 8] = std::uint8_t(width);
            return bytes;
        }
    }
    ADD_FAILURE() << "no frame header in the fixture";
    return {};
}

// An icon directory whose one entry holds a PNG claiming the size.
Bytes iconClaiming(std::uint32_t width, std::uint32_t height)
{
    const Bytes png = pngClaiming(width, height);
    Bytes out;
    putLe(out, 0, 2);
    putLe(out, 1, 2);
    putLe(out, 1, 2);
    out.insert(out.end(), {0, 0, 0, 0});
    putLe(out, 1, 2);
    putLe(out, 32, 2);
    putLe(out, std::uint32_t(png.size()), 4);
    putLe(out, 22, 4);
    out.insert(out.end(), png.begin(), png.end());
    return out;
}

// A HEIF fixture with every item size property (ispe) set to the sides.
Bytes heifClaiming(const char* fixture, std::uint32_t width, std::uint32_t height)
{
    Bytes bytes = readFixture(fixture);
    for (std::size_t i = 0; i + 16 <= bytes.size(); ++i) {
        if (std::memcmp(&bytes[i], "ispe", 4) != 0)
            continue;
        Bytes sides;
        putBe(sides, width, 4);
        putBe(sides, height, 4);
        std::copy(sides.begin(), sides.end(), bytes.begin() + std::ptrdiff_t(i) + 8);
    }
    return bytes;
}

// An extended header (VP8X) with the canvas, then a small lossless bitstream.
Bytes webpClaiming(std::uint32_t width, std::uint32_t height)
{
    const Bytes lossless = readFixture("webp-lossless.webp");
    Bytes out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'X'};
    putLe(out, 10, 4);
    putLe(out, 0, 4); // flags and reserved
    putLe(out, width - 1, 3);
    putLe(out, height - 1, 3);
    out.insert(out.end(), lossless.begin() + 12, lossless.end());
    const std::uint32_t riffSize = std::uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[std::size_t(4 + i)] = std::uint8_t(riffSize >> (8 * i));
    return out;
}

void expectFastCleanFailure(const char* what, const Bytes& bytes)
{
    SCOPED_TRACE(what);
    ASSERT_LT(bytes.size(), 2048u) << "the bomb should be about a kilobyte";
    const Result<Decoded> result = decodePicture(bytes.data(), bytes.size());
    EXPECT_FALSE(result.ok());
    // The budget or the codec library's own limit may say no; either way with
    // a reason for the run log.
    EXPECT_FALSE(result.error().empty());

    const ChildLoadReport report = loadInChild(bytes);
    ASSERT_TRUE(report.ran);
    EXPECT_FALSE(report.loaded);
    EXPECT_LT(report.milliseconds, 100.0);
    EXPECT_LT(report.peakRiseKiB, 32 * 1024) << "KiB";
}

} // namespace

TEST(DecompressionBomb, SidesOfAHundredThousandFailFastInEveryFormat)
{
    expectFastCleanFailure("BMP", bmpClaiming(100000, 100000));
    expectFastCleanFailure("PNG", pngClaiming(100000, 100000));
    expectFastCleanFailure("TIFF", tiffClaiming(100000, 100000));
    expectFastCleanFailure("JPEG", jpegClaiming(65535, 65535));
    expectFastCleanFailure("HEIC", heifClaiming("heic-blocks.heic", 100000, 100000));
    expectFastCleanFailure("AVIF", heifClaiming("avif-blocks.avif", 100000, 100000));
    expectFastCleanFailure("WebP", webpClaiming(100000, 100000));
}

// Sides the codec libraries accept, each under the longest side allowed, but
// too many pixels together.
TEST(DecompressionBomb, SidesUnderTheLimitOverTheBudgetFailFast)
{
    expectFastCleanFailure("BMP", bmpClaiming(60000, 60000));
    expectFastCleanFailure("PNG", pngClaiming(60000, 60000));
    expectFastCleanFailure("TIFF", tiffClaiming(60000, 60000));
    expectFastCleanFailure("JPEG", jpegClaiming(60000, 60000));
    expectFastCleanFailure("BMP top-down", bmpClaiming(60000, std::uint32_t(-60000)));
    expectFastCleanFailure("icon with PNG", iconClaiming(60000, 60000));
    expectFastCleanFailure("HEIC", heifClaiming("heic-blocks.heic", 60000, 60000));
    expectFastCleanFailure("AVIF", heifClaiming("avif-blocks.avif", 60000, 60000));
    expectFastCleanFailure("WebP", webpClaiming(60000, 60000));
}
