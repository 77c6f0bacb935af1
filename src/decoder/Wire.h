#pragma once
// What the run and a decode process say to each other over their socket.
// A request is one message of fixed size that carries the source file's
// descriptor beside it; an answer is a head of fixed size, then its texts
// (the reason a step failed, or the picture's notes), then for a picture the
// Exif block made ready for its copy, when asked for, and its pixel rows as
// they lie in the store. Both ends are one build, yet the run
// reads every answer as the hostile bytes it may be: a decoder that a file
// has taken over says whatever it likes (batch/DecoderAnswer.h checks it).

#include "picture/ByteCursor.h"
#include "picture/Limits.h"
#include "picture/Picture.h"
#include "picture/Reduce.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vardolin::decoder {

// The decode process's end of the socket: the descriptor it is started with.
inline constexpr int kSocket = 3;

// How a decode process ends besides 0 (the run closed the socket).
inline constexpr int kExitBadStart = 70;     // arguments it does not know
inline constexpr int kExitNoSandbox = 71;    // its sandbox could not be set up, so it decodes nothing
inline constexpr int kExitOutOfMemory = 72;  // an allocation failed at its memory limit
inline constexpr int kExitBrokenSocket = 73; // a request it could not read or an answer it could not send

struct Request {
    std::int64_t shortSide = 0;
    picture::Limits limits;
    bool applyExifOrientation = true;
    picture::KeepMetadata metadata = picture::KeepMetadata::None;
};
inline constexpr std::size_t kRequestBytes = 32;
using RequestBytes = std::array<std::uint8_t, kRequestBytes>;

RequestBytes encodeRequest(const Request& request);
std::optional<Request> decodeRequest(picture::ByteSpan bytes);

enum class Outcome : std::uint8_t { Picture = 0, LoadFailed = 1, ScaleFailed = 2 };

// Bits of AnswerHead::flags.
inline constexpr std::uint8_t kAlphaIsFiller = 1;
inline constexpr std::uint8_t kLossless = 2;

// The most an answer's texts may hold; a decoder cuts longer ones.
inline constexpr std::size_t kMostNotes = 16;
inline constexpr std::size_t kLongestText = 1024;
// A note: its kind, then the lengths in 16 bits of its text, its from and
// its intent, then the three texts; each at most kLongestText.
inline constexpr std::size_t kNoteTexts = 3;
inline constexpr std::size_t kNoteHeadBytes = 1 + 2 * kNoteTexts;
inline constexpr std::size_t kMostTextBytes = kMostNotes * (kNoteHeadBytes + kNoteTexts * kLongestText);

struct AnswerHead {
    Outcome outcome = Outcome::LoadFailed;
    std::uint8_t noteCount = 0;
    std::uint8_t depth = 0;
    std::uint8_t sourceDepth = 0;
    std::uint8_t flags = 0;
    std::uint32_t format = 0;
    picture::Size size;     // the picture's store; for ScaleFailed the size asked of the scaler
    picture::Size fullSize; // the whole upright picture as the file describes it
    std::uint32_t textBytes = 0;
    // The Exif block made ready for the copy, after the texts: at most one
    // JPEG segment's worth (picture::Metadata::kMaxExifBytes), as the
    // decoding side cleans it; none unless the request asked for it.
    std::uint32_t exifBytes = 0;
};
inline constexpr std::size_t kAnswerHeadBytes = 40;
using AnswerHeadBytes = std::array<std::uint8_t, kAnswerHeadBytes>;

AnswerHeadBytes encodeAnswerHead(const AnswerHead& head);
// Nothing when the bytes are no answer head of this version; the values are
// not checked here.
std::optional<AnswerHead> decodeAnswerHead(picture::ByteSpan bytes);

// The head and the texts of the answer for reduced, cut to the limits above;
// for a picture its store's bytes follow.
std::vector<std::uint8_t> answerFor(const picture::Reduced& reduced);

// The notes in texts as answerFor writes them: exactly count notes filling
// texts, each a known kind and at most kLongestText long; otherwise nothing.
std::optional<picture::Notes> decodeNotes(picture::ByteSpan texts, std::size_t count);

} // namespace vardolin::decoder
