// vardolin-decode: the sandboxed decode process of vardolin and
// vardolin-batch. Not for people: the run starts it (Decoder.h).

#include "decoder/Decoder.h"

#if defined(__SANITIZE_ADDRESS__)
// The leak check at exit needs a tracer thread and /proc, both of which the
// sandbox forbids; the same code's leaks are found by the in-process tests
// and fuzz replays.
extern "C" int __lsan_is_turned_off()
{
    return 1;
}
#endif

int main(int argc, char** argv)
{
    return vardolin::decoder::runDecoder(argc, argv, nullptr);
}
