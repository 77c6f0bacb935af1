#include "batch/DecoderAnswer.h"

#include "picture/Formats.h"
#include "picture/Reduce.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace vardolin::batch {
namespace {

using decoder::AnswerHead;
using decoder::Outcome;

Answer cut()
{
    return {Answer::Kind::Cut, {}, {}, {}};
}

Answer invalid()
{
    return {Answer::Kind::Invalid, {}, {}, {}};
}

// A text for a log line: no control characters, so it cannot end the line
// or speak to the terminal.
std::string cleaned(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return std::uint8_t(c) < 0x20 || std::uint8_t(c) == 0x7F; }, '?');
    return text;
}

bool isTiffStructure(const std::vector<std::uint8_t>& bytes)
{
    const picture::ByteSpan span{bytes.data(), bytes.size()};
    return span.startsWith("II*\0", 4) || span.startsWith("MM\0*", 4);
}

bool readable(picture::Format format)
{
    return format != picture::Format::Icon && picture::formatRow(format) != nullptr;
}

// The head of a picture describes the store the request asks for: a depth
// the engine makes, a format it reads, a full size within the limits and the
// size the short-side rule gives for it.
bool fitsTheRequest(const AnswerHead& head, const decoder::Request& request)
{
    if ((head.depth != 24 && head.depth != 32) || !readable(picture::Format(head.format)))
        return false;
    if (head.textBytes > decoder::kMostTextBytes || head.noteCount > decoder::kMostNotes)
        return false;
    // Exif only when asked for, and no more than a copy can carry.
    if (head.exifBytes > picture::Metadata::kMaxExifBytes
        || (head.exifBytes != 0 && request.metadata == picture::KeepMetadata::None))
        return false;
    if (!request.limits.check(head.fullSize.width, head.fullSize.height))
        return false;
    return head.size == picture::reducedSize(head.fullSize, request.shortSide)
           && request.limits.check(head.size.width, head.size.height).ok();
}

Answer failure(AnswerSource& source, const AnswerHead& head)
{
    if (head.noteCount != 0 || head.exifBytes != 0 || head.textBytes > decoder::kLongestText)
        return invalid();
    std::string reason(head.textBytes, '\0');
    if (!source.read(reinterpret_cast<std::uint8_t*>(reason.data()), reason.size()))
        return cut();
    const auto kind = head.outcome == Outcome::LoadFailed ? Answer::Kind::LoadFailed : Answer::Kind::ScaleFailed;
    return {kind, cleaned(std::move(reason)), head.size, {}};
}

Answer picture(AnswerSource& source, const AnswerHead& head, const decoder::Request& request)
{
    if (!fitsTheRequest(head, request))
        return invalid();
    std::vector<std::uint8_t> texts(head.textBytes);
    if (!source.read(texts.data(), texts.size()))
        return cut();
    auto notes = decoder::decodeNotes({texts.data(), texts.size()}, head.noteCount);
    if (!notes)
        return invalid();
    // Embedded as it comes, never parsed here: only its first bytes must
    // be those of a TIFF structure, as the cleaning leaves it.
    std::vector<std::uint8_t> exif(head.exifBytes);
    if (!source.read(exif.data(), exif.size()))
        return cut();
    if (!exif.empty() && !isTiffStructure(exif))
        return invalid();
    Answer answer{Answer::Kind::Picture, {}, head.size, {}};
    picture::Picture& made = answer.decoded.picture;
    made.width = head.size.width;
    made.height = head.size.height;
    made.depth = head.depth;
    made.sourceDepth = head.sourceDepth;
    made.alphaIsFiller = (head.flags & decoder::kAlphaIsFiller) != 0;
    made.lossless = (head.flags & decoder::kLossless) != 0;
    made.format = picture::Format(head.format);
    made.fullSize = head.fullSize;
    made.stride = picture::strideFor(made.width, made.depth);
    made.pixels.resize(std::size_t(made.stride) * std::size_t(made.height));
    if (!source.read(made.pixels.data(), made.pixels.size()))
        return cut();
    for (picture::Note& note : *notes) {
        note.text = cleaned(std::move(note.text));
        note.from = cleaned(std::move(note.from));
        note.intent = cleaned(std::move(note.intent));
    }
    answer.decoded.notes = std::move(*notes);
    answer.decoded.metadata.exif = std::move(exif);
    return answer;
}

} // namespace

Answer readAnswer(AnswerSource& source, const decoder::Request& request)
{
    decoder::AnswerHeadBytes bytes{};
    if (!source.read(bytes.data(), bytes.size()))
        return cut();
    const std::optional<AnswerHead> head = decoder::decodeAnswerHead({bytes.data(), bytes.size()});
    if (!head)
        return invalid();
    switch (head->outcome) {
    case Outcome::Picture: return picture(source, *head, request);
    case Outcome::LoadFailed:
    case Outcome::ScaleFailed: return failure(source, *head);
    }
    return invalid();
}

} // namespace vardolin::batch
