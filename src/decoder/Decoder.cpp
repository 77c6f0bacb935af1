#include "decoder/Decoder.h"

#include "decoder/Sandbox.h"
#include "decoder/Wire.h"
#include "picture/Colour.h"
#include "picture/Picture.h"

#include <malloc.h>

#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

namespace vardolin::decoder {
namespace {

struct Arguments {
    pid_t parent = 0;
    picture::Limits limits;
};

template <typename Number> bool parse(std::string_view text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<Arguments> argumentsOf(int argc, char** argv)
{
    Arguments arguments;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view name = argv[i], value = argv[i + 1];
        const bool known = name == "--parent"         ? parse(value, arguments.parent)
                           : name == "--pixel-budget" ? parse(value, arguments.limits.pixelBudget)
                           : name == "--max-side"     ? parse(value, arguments.limits.maxSide)
                                                      : false;
        if (!known)
            return std::nullopt;
    }
    if (argc % 2 != 1 || arguments.parent <= 0)
        return std::nullopt;
    return arguments;
}

// A decode process takes one file after another, each needing buffers of
// much the same sizes (a progressive JPEG's coefficients, rows, the store).
// The C library hands back every buffer over a few megabytes to the kernel
// when it is freed, so the next file's were fresh pages, each faulted in and
// zeroed: a fifth of a run's time. Kept in the heap up to 64 MB each (and
// freed memory up to 256 MB at its top), they are used again. Larger ones,
// which only very large pictures need, still go back at once.
void keepFreedMemory()
{
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

} // namespace

int runDecoder(int argc, char** argv, BeforeDecoding beforeDecoding)
{
    const auto arguments = argumentsOf(argc, argv);
    if (!arguments)
        return kExitBadStart;
    keepFreedMemory();
    if (!prepareProcess(arguments->parent, arguments->limits))
        return kExitNoSandbox;
    // What the libraries set up once (libheif's codecs, the colour library's
    // context) is set up before the filter closes.
    picture::readyCodecLibraries();
    picture::ColourCache cache;
    if (!closeSandbox())
        return kExitNoSandbox;
    return serveRequests(kSocket, cache, beforeDecoding);
}

} // namespace vardolin::decoder
