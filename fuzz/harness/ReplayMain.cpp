// Runs a harness over files and folders of inputs without the fuzzing engine,
// so the seed and regression inputs are exercised by every normal and
// sanitizer build. A crash or sanitizer report ends the process as it would
// under the fuzzer; a clean pass prints how many inputs ran.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsUnder(const fs::path& start)
{
    std::vector<fs::path> inputs;
    if (fs::is_directory(start)) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(start)) {
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        }
    } else if (fs::is_regular_file(start)) {
        inputs.push_back(start);
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

bool replay(const fs::path& input)
{
    std::ifstream in(input, std::ios::binary);
    if (!in)
        return false;
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    // An empty input is handed over as a valid pointer, as the fuzzer does.
    static const std::uint8_t none = 0;
    const auto* data = bytes.empty() ? &none : reinterpret_cast<const std::uint8_t*>(bytes.data());
    LLVMFuzzerTestOneInput(data, bytes.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        for (const fs::path& input : inputsUnder(argv[i])) {
            if (!replay(input)) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            ++count;
        }
    }
    std::printf("replayed %zu inputs\n", count);
    return count > 0 ? 0 : 1;
}
