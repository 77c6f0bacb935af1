// The run's reading of a decode process's answer, from a decoder that says
// whatever it likes: the first two bytes are the short side the run asked
// for, the rest is what came back on the socket, cut where the input ends.
// A read may refuse the answer; what it accepts must be the picture the run
// asked for, whole, with bounded notes that cannot break a log line.

#include "StoreCheck.h"
#include "batch/DecoderAnswer.h"
#include "picture/Reduce.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

using namespace vardolin;

class InputSource : public batch::AnswerSource {
public:
    InputSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool read(std::uint8_t* into, std::size_t size) override
    {
        if (size > size_ - at_)
            return false;
        if (size > 0)
            std::memcpy(into, data_ + at_, size);
        at_ += size;
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

bool clean(const std::string& text)
{
    return std::none_of(text.begin(), text.end(), [](char c) { return std::uint8_t(c) < 0x20 || c == 0x7F; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    decoder::Request request;
    // The two high bits of the second byte ask for the Exif block.
    request.shortSide = data[0] | (data[1] & 0x3F) << 8;
    request.metadata = picture::KeepMetadata(std::min(data[1] >> 6, 2));
    request.limits.pixelBudget = std::uint64_t(1) << 22;
    InputSource source(data + 2, size - 2);
    const batch::Answer answer = batch::readAnswer(source, request);
    if (!clean(answer.reason))
        std::abort();
    if (answer.kind != batch::Answer::Kind::Picture)
        return 0;
    const picture::Picture& picture = answer.decoded.picture;
    fuzz::checkStore(picture);
    if (!request.limits.check(picture.fullSize.width, picture.fullSize.height)
        || picture::reducedSize(picture.fullSize, request.shortSide) != picture::Size{picture.width, picture.height}
        || picture.pixels.size() != std::size_t(picture.stride) * std::size_t(picture.height))
        std::abort();
    if (answer.decoded.notes.size() > decoder::kMostNotes)
        std::abort();
    const std::vector<std::uint8_t>& exif = answer.decoded.metadata.exif;
    if (exif.size() > picture::Metadata::kMaxExifBytes
        || (!exif.empty() && request.metadata == picture::KeepMetadata::None))
        std::abort();
    for (const picture::Note& note : answer.decoded.notes)
        for (const std::string* text : {&note.text, &note.from, &note.intent})
            if (text->size() > decoder::kLongestText || !clean(*text))
                std::abort();
    return 0;
}
