#pragma once
// The run's reading of a decode process's answer. A decoder that a file has
// taken over may say anything, so every value is checked against what the
// run asked for and the limits before anything is allocated for it: the
// sizes must be the ones the short-side rule gives for the full size it
// names, which itself must fit the limits; the texts are bounded and cleaned
// of control characters (they go into log lines); the pixels are exactly the
// store those sizes make.

#include "decoder/Wire.h"
#include "picture/Picture.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vardolin::batch {

// Where an answer's bytes come from.
class AnswerSource {
public:
    virtual ~AnswerSource() = default;
    // Exactly size bytes into into, or false (the decoder ended, fell silent
    // or passed a limit; the source knows which).
    virtual bool read(std::uint8_t* into, std::size_t size) = 0;
};

struct Answer {
    enum class Kind : std::uint8_t {
        Picture,     // decoded holds the picture at the asked size, with its notes
        LoadFailed,  // reason says why
        ScaleFailed, // reason says why; scaleTo is the size asked of the scaler
        Cut,         // the source stopped before a whole answer
        Invalid,     // bytes that are no answer to the request: the decoder is not to be trusted again
    };
    Kind kind = Kind::Cut;
    std::string reason;
    picture::Size scaleTo;
    picture::Decoded decoded;
};

Answer readAnswer(AnswerSource& source, const decoder::Request& request);

// How a decode process ended while it had a file.
struct DecoderEnd {
    enum class Cause : std::uint8_t {
        None,        // it answered
        Signal,      // number: the signal (a crash, an abort, a call its sandbox forbids)
        OutOfMemory, // it passed its memory limit
        TimeLimit,   // no answer within the time limit; it was killed
        Status,      // number: it exited with this status
        Invalid,     // it answered what was not asked; it was killed
        NoSandbox,   // it could not close itself in, so it decoded nothing
        NotStarted,  // detail: why it could not be started
    };
    Cause cause = Cause::None;
    int number = 0;
    std::string detail;
};

} // namespace vardolin::batch
