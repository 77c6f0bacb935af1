// The decode process with faults on call, for the tests only: a source whose
// bytes begin with "VARDOLIN-FAULT:" and a word makes it
//   crash     write through a null pointer (SIGSEGV)
//   abort     abort (SIGABRT)
//   allocate  allocate and touch memory without end
//   loop      loop without end
//   open      open a file, which its sandbox forbids (SIGSYS)
//   exec      start another program, which its sandbox forbids (SIGSYS)
//   lie       answer a picture four times the size asked for
// Every other source is decoded as by vardolin-decode.

#include "decoder/Decoder.h"
#include "decoder/Wire.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace {

using namespace vardolin;

constexpr std::string_view kMark = "VARDOLIN-FAULT:";

// The data limit counts what is reserved; the sanitizer build's watch on the
// resident size only sees what is touched.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kTouch = true;
#else
constexpr bool kTouch = false;
#endif

[[noreturn]] void allocateWithoutEnd()
{
    std::vector<std::unique_ptr<char[]>> blocks;
    for (;;) {
        constexpr std::size_t block = std::size_t(16) << 20;
        blocks.push_back(std::make_unique_for_overwrite<char[]>(block));
        if (kTouch)
            std::memset(blocks.back().get(), 1, block);
    }
}

void lie(int socket)
{
    decoder::AnswerHead head;
    head.outcome = decoder::Outcome::Picture;
    head.depth = 24;
    head.format = std::uint32_t(picture::Format::Jpeg);
    head.fullSize = {4000, 3000};
    head.size = {320, 240}; // four times what the short side of 60 asks for
    const auto bytes = decoder::encodeAnswerHead(head);
    [[maybe_unused]] const auto sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

bool actOnMark(picture::ByteSpan source, int socket)
{
    const std::string_view text(reinterpret_cast<const char*>(source.data), source.size);
    if (!text.starts_with(kMark))
        return false;
    const std::string_view what = text.substr(kMark.size(), text.find_first_of("\r\n") - kMark.size());
    if (what == "crash") {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    } else if (what == "abort") {
        std::abort();
    } else if (what == "allocate") {
        allocateWithoutEnd();
    } else if (what == "loop") {
        for (std::atomic<unsigned> spin = 0;; spin.fetch_add(1, std::memory_order_relaxed)) {
        }
    } else if (what == "open") {
        [[maybe_unused]] const int fd = open("/etc/hostname", O_RDONLY);
    } else if (what == "exec") {
        execl("/bin/true", "true", nullptr);
    } else if (what == "lie") {
        lie(socket);
        return true;
    }
    return false;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __lsan_is_turned_off()
{
    return 1;
}
#endif

int main(int argc, char** argv)
{
    return decoder::runDecoder(argc, argv, actOnMark);
}
