#pragma once
// One decode process, as its worker sees it (Linux only): started when first
// needed, handed one source at a time, killed when it passes the time limit,
// lies or dies, and started afresh for the next file. Ended and reaped with
// this object, so none outlives the run.

#include "batch/DecoderAnswer.h"
#include "decoder/Wire.h"
#include "picture/Limits.h"

#include <sys/types.h>

#include <chrono>
#include <string>

namespace vardolin::batch {

struct Reply {
    Answer answer; // Picture, LoadFailed or ScaleFailed when end.cause is None
    DecoderEnd end;
};

class DecoderProcess {
public:
    DecoderProcess(std::string executable, const picture::Limits& limits, std::chrono::milliseconds timeLimit);
    ~DecoderProcess();
    DecoderProcess(const DecoderProcess&) = delete;
    DecoderProcess& operator=(const DecoderProcess&) = delete;

    // Hands the open source to the process (started first when none runs)
    // and reads its answer.
    Reply reduce(int source, std::int64_t shortSide, picture::KeepMetadata metadata);

private:
    bool start(std::string& problem);
    bool send(int source, const decoder::RequestBytes& request);
    void stop();
    DecoderEnd reap(bool kill);

    const std::string executable_;
    const picture::Limits limits_;
    const std::chrono::milliseconds timeLimit_;
    pid_t pid_ = -1;
    int socket_ = -1;
    int exitWatch_ = -1; // a pidfd: readable once the process has ended
};

} // namespace vardolin::batch
