#include "decoder/Wire.h"

#include <algorithm>
#include <string>

namespace vardolin::decoder {
namespace {

using picture::ByteCursor;
using picture::ByteSpan;

// 2: a note carries its from and intent beside its text.
// 3: a picture's Exif block made ready for its copy follows the texts.
constexpr std::uint16_t kVersion = 3;
constexpr std::uint8_t kRequestMagic[4] = {'V', 'D', 'R', 'Q'};
constexpr std::uint8_t kAnswerMagic[4] = {'V', 'D', 'A', 'N'};
constexpr std::uint16_t kApplyExifOrientation = 1;
constexpr std::uint16_t kKeepMetadata = 2;
constexpr std::uint16_t kKeepLocation = 4;

std::uint16_t metadataFlags(picture::KeepMetadata metadata)
{
    switch (metadata) {
    case picture::KeepMetadata::None: break;
    case picture::KeepMetadata::WithoutLocation: return kKeepMetadata;
    case picture::KeepMetadata::WithLocation: return kKeepMetadata | kKeepLocation;
    }
    return 0;
}

picture::KeepMetadata metadataOf(std::uint16_t flags)
{
    if ((flags & kKeepMetadata) == 0)
        return picture::KeepMetadata::None;
    return (flags & kKeepLocation) != 0 ? picture::KeepMetadata::WithLocation : picture::KeepMetadata::WithoutLocation;
}

// Little-endian, whatever the machine.
class Writer {
public:
    explicit Writer(std::uint8_t* out) : out_(out) {}
    void bytes(const std::uint8_t* data, std::size_t size)
    {
        std::copy(data, data + size, out_ + at_);
        at_ += size;
    }
    void u8(std::uint8_t value) { out_[at_++] = value; }
    void u16(std::uint16_t value) { put(value, 2); }
    void u32(std::uint32_t value) { put(value, 4); }
    void u64(std::uint64_t value) { put(value, 8); }
    void i32(std::int32_t value) { u32(std::uint32_t(value)); }

private:
    void put(std::uint64_t value, int size)
    {
        for (int i = 0; i < size; ++i)
            out_[at_++] = std::uint8_t(value >> (8 * i));
    }
    std::uint8_t* out_;
    std::size_t at_ = 0;
};

std::optional<std::uint64_t> u64(ByteCursor& cursor)
{
    const auto low = cursor.u32(), high = cursor.u32();
    if (!low || !high)
        return std::nullopt;
    return std::uint64_t(*high) << 32 | *low;
}

std::optional<std::int32_t> i32(ByteCursor& cursor)
{
    const auto value = cursor.u32();
    return value ? std::optional<std::int32_t>(std::int32_t(*value)) : std::nullopt;
}

bool versionedMagic(ByteCursor& cursor, const std::uint8_t (&magic)[4])
{
    const auto found = cursor.bytes(4);
    const auto version = cursor.u16();
    return found && version && found->startsWith(magic, 4) && *version == kVersion;
}

// A text no longer than kLongestText bytes, cut at a character's start so
// that what remains is still UTF-8 where it was.
std::string_view cut(std::string_view text)
{
    if (text.size() <= kLongestText)
        return text;
    std::size_t end = kLongestText;
    while (end > 0 && (std::uint8_t(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

void appendText(std::vector<std::uint8_t>& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

} // namespace

RequestBytes encodeRequest(const Request& request)
{
    RequestBytes bytes{};
    Writer out(bytes.data());
    out.bytes(kRequestMagic, 4);
    out.u16(kVersion);
    out.u16(
        std::uint16_t((request.applyExifOrientation ? kApplyExifOrientation : 0) | metadataFlags(request.metadata)));
    out.u64(std::uint64_t(request.shortSide));
    out.u64(request.limits.pixelBudget);
    out.i32(request.limits.maxSide);
    out.u32(0);
    return bytes;
}

std::optional<Request> decodeRequest(ByteSpan bytes)
{
    ByteCursor cursor(bytes);
    if (bytes.size != kRequestBytes || !versionedMagic(cursor, kRequestMagic))
        return std::nullopt;
    const auto flags = cursor.u16();
    const auto shortSide = u64(cursor), budget = u64(cursor);
    const auto maxSide = i32(cursor);
    if (!flags || !shortSide || !budget || !maxSide)
        return std::nullopt;
    Request request;
    request.applyExifOrientation = (*flags & kApplyExifOrientation) != 0;
    request.metadata = metadataOf(*flags);
    request.shortSide = std::int64_t(*shortSide);
    request.limits.pixelBudget = *budget;
    request.limits.maxSide = *maxSide;
    return request;
}

AnswerHeadBytes encodeAnswerHead(const AnswerHead& head)
{
    AnswerHeadBytes bytes{};
    Writer out(bytes.data());
    out.bytes(kAnswerMagic, 4);
    out.u16(kVersion);
    out.u8(std::uint8_t(head.outcome));
    out.u8(head.noteCount);
    out.u8(head.depth);
    out.u8(head.sourceDepth);
    out.u8(head.flags);
    out.u8(0);
    out.u32(head.format);
    out.i32(head.size.width);
    out.i32(head.size.height);
    out.i32(head.fullSize.width);
    out.i32(head.fullSize.height);
    out.u32(head.textBytes);
    out.u32(head.exifBytes);
    return bytes;
}

std::optional<AnswerHead> decodeAnswerHead(ByteSpan bytes)
{
    ByteCursor cursor(bytes);
    if (bytes.size != kAnswerHeadBytes || !versionedMagic(cursor, kAnswerMagic))
        return std::nullopt;
    AnswerHead head;
    head.outcome = Outcome(*cursor.u8());
    head.noteCount = *cursor.u8();
    head.depth = *cursor.u8();
    head.sourceDepth = *cursor.u8();
    head.flags = *cursor.u8();
    cursor.skip(1);
    head.format = *cursor.u32();
    head.size = {*i32(cursor), *i32(cursor)};
    head.fullSize = {*i32(cursor), *i32(cursor)};
    head.textBytes = *cursor.u32();
    head.exifBytes = *cursor.u32();
    return head;
}

std::vector<std::uint8_t> answerFor(const picture::Reduced& reduced)
{
    using Failed = picture::Reduced::Failed;
    AnswerHead head;
    std::vector<std::uint8_t> texts;
    if (reduced.failed != Failed::Nothing) {
        head.outcome = reduced.failed == Failed::Load ? Outcome::LoadFailed : Outcome::ScaleFailed;
        head.size = reduced.scaleTo;
        appendText(texts, cut(reduced.reason));
    } else {
        const picture::Picture& picture = reduced.decoded.picture;
        head.outcome = Outcome::Picture;
        head.depth = picture.depth;
        head.sourceDepth = picture.sourceDepth;
        head.flags = std::uint8_t((picture.alphaIsFiller ? kAlphaIsFiller : 0) | (picture.lossless ? kLossless : 0));
        head.format = std::uint32_t(picture.format);
        head.size = {picture.width, picture.height};
        head.fullSize = picture.fullSize;
        const std::size_t count = std::min(reduced.decoded.notes.size(), kMostNotes);
        head.noteCount = std::uint8_t(count);
        for (std::size_t i = 0; i < count; ++i) {
            const picture::Note& note = reduced.decoded.notes[i];
            const std::string_view parts[kNoteTexts] = {cut(note.text), cut(note.from), cut(note.intent)};
            texts.push_back(std::uint8_t(note.kind));
            for (const std::string_view part : parts) {
                texts.push_back(std::uint8_t(part.size()));
                texts.push_back(std::uint8_t(part.size() >> 8));
            }
            for (const std::string_view part : parts)
                appendText(texts, part);
        }
    }
    head.textBytes = std::uint32_t(texts.size());
    // The cleaning keeps a block within the bound; one beyond it is not sent.
    const std::vector<std::uint8_t>& exif = reduced.decoded.metadata.exif;
    const bool withExif = reduced.failed == Failed::Nothing && exif.size() <= picture::Metadata::kMaxExifBytes;
    if (withExif) {
        head.exifBytes = std::uint32_t(exif.size());
        texts.insert(texts.end(), exif.begin(), exif.end());
    }
    const AnswerHeadBytes headBytes = encodeAnswerHead(head);
    std::vector<std::uint8_t> answer(headBytes.size() + texts.size());
    std::copy(headBytes.begin(), headBytes.end(), answer.begin());
    std::copy(texts.begin(), texts.end(), answer.begin() + std::ptrdiff_t(headBytes.size()));
    return answer;
}

std::optional<picture::Notes> decodeNotes(ByteSpan texts, std::size_t count)
{
    using Kind = picture::Note::Kind;
    if (count > kMostNotes)
        return std::nullopt;
    ByteCursor cursor(texts);
    picture::Notes notes;
    for (std::size_t i = 0; i < count; ++i) {
        const auto kind = cursor.u8();
        if (!kind || *kind > std::uint8_t(Kind::MetadataDropped))
            return std::nullopt;
        std::uint16_t lengths[kNoteTexts];
        for (std::uint16_t& length : lengths) {
            const auto read = cursor.u16();
            if (!read || *read > kLongestText)
                return std::nullopt;
            length = *read;
        }
        std::string parts[kNoteTexts];
        for (std::size_t part = 0; part < kNoteTexts; ++part) {
            const auto text = cursor.bytes(lengths[part]);
            if (!text)
                return std::nullopt;
            parts[part].assign(reinterpret_cast<const char*>(text->data), text->size);
        }
        notes.push_back({Kind(*kind), std::move(parts[0]), std::move(parts[1]), std::move(parts[2])});
    }
    if (!cursor.atEnd())
        return std::nullopt;
    return notes;
}

} // namespace vardolin::decoder
