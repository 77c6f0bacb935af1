#include "app/InformationOptions.h"

#include "frame/FrameContext.h"

#include <cstdio>
#include <cstring>

namespace vardolin::app {

std::optional<int> answerInformationOption(int argc, const char* const* argv)
{
    if (argc != 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("vardolin %s\n", frame::kPgmVersion.toUtf8().constData());
        return 0;
    }
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs("Usage: vardolin [PATH]\n"
                   "Makes reduced copies of picture files in batches, in a window.\n"
                   "\n"
                   "  PATH  source folder and include pattern, e.g. /home/u/Fotos/*.jpg\n"
                   "\n"
                   "The same batch without a window: vardolin-batch --help\n",
                   stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace vardolin::app
