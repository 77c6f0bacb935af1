// Damaged files must fail cleanly or load a consistent picture: never crash
// and never read outside the buffer (the sanitizer build proves the latter).
// HEIC and AVIF files are damaged in the batch tests instead
// (SandboxedDecoding.*): libheif itself crashes on some, which only the decode
// process can contain.

#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

std::vector<std::string> fixtureNames()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(fixturePath(""))) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".bmp" || extension == ".jpg" || extension == ".png" || extension == ".tif"
            || extension == ".ico" || extension == ".webp")
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

::testing::AssertionResult consistent(const Result<Decoded>& result)
{
    if (!result.ok()) {
        if (result.error().empty())
            return ::testing::AssertionFailure() << "failed without a reason";
        return ::testing::AssertionSuccess();
    }
    const Picture& picture = result->picture;
    if (picture.width <= 0 || picture.height <= 0)
        return ::testing::AssertionFailure() << "loaded with size " << picture.width << " x " << picture.height;
    if (picture.format == Format::Icon)
        return ::testing::AssertionSuccess();
    if (picture.stride != strideFor(picture.width, picture.depth)
        || picture.pixels.size() != std::size_t(picture.stride) * std::size_t(picture.height))
        return ::testing::AssertionFailure() << "store does not match its size";
    return ::testing::AssertionSuccess();
}

// A copy of bytes in its own allocation of exactly that size, so the
// sanitizer sees any read past the end.
Result<Decoded> decodeExact(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> copy(data, data + size);
    copy.shrink_to_fit();
    return decodePicture(copy.data(), copy.size());
}

} // namespace

TEST(BadInput, FixturesExist)
{
    EXPECT_GE(fixtureNames().size(), 40u);
}

TEST(BadInput, EveryTruncationFailsCleanlyOrLoadsConsistently)
{
    for (const std::string& name : fixtureNames()) {
        SCOPED_TRACE(name);
        const auto bytes = readFixture(name);
        const std::size_t step = bytes.size() > 1500 ? 7 : 1;
        for (std::size_t length = 0; length < bytes.size(); length += step)
            ASSERT_TRUE(consistent(decodeExact(bytes.data(), length))) << "cut at " << length;
    }
}

TEST(BadInput, CorruptedBytesFailCleanlyOrLoadConsistently)
{
    std::mt19937 random(20261208);
    for (const std::string& name : fixtureNames()) {
        SCOPED_TRACE(name);
        const auto original = readFixture(name);
        for (int round = 0; round < 150; ++round) {
            auto bytes = original;
            const int changes = 1 + int(random() % 4);
            for (int i = 0; i < changes; ++i) {
                // Headers sit at the front: hit them more often than the data.
                const std::size_t reach = random() % 2 ? std::min<std::size_t>(bytes.size(), 64) : bytes.size();
                const std::size_t at = random() % reach;
                bytes[at] = random() % 3 ? std::uint8_t(random()) : std::uint8_t(0xFF);
            }
            ASSERT_TRUE(consistent(decodeExact(bytes.data(), bytes.size()))) << "round " << round;
        }
    }
}

TEST(BadInput, GarbageBehindEachSignatureFailsCleanly)
{
    const std::vector<std::vector<std::uint8_t>> signatures = {
        {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0},
        {0xFF, 0xD8},
        {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
        {'I', 'I', 42, 0},
        {'M', 'M', 0, 42},
        {0, 0, 1, 0},
        {0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'},
        {'R', 'I', 'F', 'F', 0, 1, 0, 0, 'W', 'E', 'B', 'P'},
    };
    std::mt19937 random(7);
    for (const auto& signature : signatures) {
        for (int round = 0; round < 200; ++round) {
            auto bytes = signature;
            const std::size_t extra = random() % 300;
            for (std::size_t i = 0; i < extra; ++i)
                bytes.push_back(std::uint8_t(random()));
            ASSERT_TRUE(consistent(decodeExact(bytes.data(), bytes.size()))) << "round " << round;
        }
    }
}
