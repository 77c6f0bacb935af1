// Every input the fuzzers found trouble with is kept under
// tests/data/fuzz-regressions/. Each must now load cleanly or fail with a
// reason, quickly and with little memory, with the default options of a batch
// run; those that load must also scale and save.

#include "picture/ChildLoad.h"
#include "picture/DecoderTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

using namespace vardolin::picture;
using namespace vardolin::picture::testing;

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> regressionInputs(const std::string& harness)
{
    std::vector<fs::path> inputs;
    const fs::path folder = fs::path(VARDOLIN_TEST_DATA) / "fuzz-regressions" / harness;
    if (fs::is_directory(folder)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

std::vector<std::uint8_t> bytesOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(FuzzRegressions, EachLoadsOrFailsQuicklyWithLittleMemory)
{
    std::vector<fs::path> inputs;
    for (const std::string harness : {"decode", "heif"}) {
        const auto found = regressionInputs(harness);
        ASSERT_FALSE(found.empty()) << harness;
        inputs.insert(inputs.end(), found.begin(), found.end());
    }
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::vector<std::uint8_t> bytes = bytesOf(input);
        const Result<Decoded> result = decodeBytes(bytes);
        EXPECT_TRUE(result.ok() || !result.error().empty());

        const ChildLoadReport report = loadInChild(bytes);
        ASSERT_TRUE(report.ran) << "the load crashed";
        EXPECT_EQ(report.loaded, result.ok());
        EXPECT_LT(report.milliseconds, 1000.0);
        EXPECT_LT(report.peakRiseKiB, 64 * 1024) << "KiB";
    }
}

TEST(FuzzRegressions, ThoseThatLoadAlsoScaleAndSave)
{
    const fs::path target =
        fs::temp_directory_path() / ("vardolin-fuzz-regression-" + std::to_string(getpid()) + ".out");
    for (const std::string harness : {"decode", "convert"}) {
        for (const fs::path& input : regressionInputs(harness)) {
            SCOPED_TRACE(input.filename().string());
            Result<Decoded> loaded = decodeBytes(bytesOf(input));
            if (!loaded.ok() || loaded->picture.format == Format::Icon)
                continue;
            Picture& picture = loaded->picture;
            ASSERT_TRUE(scalePicture(picture, std::max(1, picture.width / 2), std::max(1, picture.height / 2)));
            for (const Format format : {Format::Jpeg, Format::Png, Format::Bmp}) {
                const Result<void> saved = savePicture(picture, target, format, 7);
                EXPECT_TRUE(saved.ok()) << saved.error();
            }
        }
    }
    std::error_code ignored;
    fs::remove(target, ignored);
}
