// The Exif block made ready for a copy crosses from the decode process to
// the run only when asked for, bounded and in its own shape: the run embeds
// those bytes without parsing them, so an answer that carries more, or
// something else, is the lie of a decoder a file has taken over.

#include "AnswerBytes.h"
#include "batch/DecoderAnswer.h"

#include "decoder/Wire.h"
#include "picture/Reduce.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vardolin;
using namespace vardolin::batch;

namespace {

using Bytes = vardolin::batch::fixture::AnswerBytes;

// What a decode process sends for an 80 x 60 copy of a 4000 x 3000 picture
// that carries exif, the head changed as the caller says.
std::vector<std::uint8_t> answerWith(
    const std::vector<std::uint8_t>& exif, void (*change)(decoder::AnswerHead&) = [](decoder::AnswerHead&) {})
{
    picture::Reduced reduced;
    picture::Picture& made = reduced.decoded.picture;
    made.width = 80;
    made.height = 60;
    made.depth = 24;
    made.sourceDepth = 24;
    made.format = picture::Format::Jpeg;
    made.fullSize = {4000, 3000};
    made.stride = picture::strideFor(80, 24);
    made.pixels.assign(std::size_t(made.stride) * 60, 0x55);
    reduced.decoded.notes = {{picture::Note::Kind::MetadataDropped, "a second block left out"}};
    reduced.decoded.metadata.exif = exif;
    std::vector<std::uint8_t> bytes = decoder::answerFor(reduced);
    decoder::AnswerHead head = *decoder::decodeAnswerHead({bytes.data(), decoder::kAnswerHeadBytes});
    change(head);
    const decoder::AnswerHeadBytes changed = decoder::encodeAnswerHead(head);
    std::copy(changed.begin(), changed.end(), bytes.begin());
    bytes.insert(bytes.end(), made.pixels.begin(), made.pixels.end());
    return bytes;
}

Answer read(std::vector<std::uint8_t> bytes, picture::KeepMetadata asked)
{
    decoder::Request request;
    request.shortSide = 60;
    request.metadata = asked;
    Bytes source(std::move(bytes));
    return readAnswer(source, request);
}

TEST(ExifOverTheWire, TheBlockAskedForArrivesAsItWasMadeAndNothingElse)
{
    for (const auto asked :
         {picture::KeepMetadata::None, picture::KeepMetadata::WithoutLocation, picture::KeepMetadata::WithLocation}) {
        decoder::Request request;
        request.metadata = asked;
        const decoder::RequestBytes bytes = decoder::encodeRequest(request);
        EXPECT_EQ(decoder::decodeRequest({bytes.data(), bytes.size()})->metadata, asked);
    }

    std::vector<std::uint8_t> exif{'M', 'M', 0, '*', 0, 0, 0, 8, 0, 0, 0, 0, 0, 0};
    const Answer good = read(answerWith(exif), picture::KeepMetadata::WithoutLocation);
    ASSERT_EQ(good.kind, Answer::Kind::Picture);
    EXPECT_EQ(good.decoded.metadata.exif, exif);
    EXPECT_EQ(good.decoded.notes.at(0).kind, picture::Note::Kind::MetadataDropped);
    EXPECT_EQ(good.decoded.picture.pixels.size(), std::size_t(picture::strideFor(80, 24)) * 60);
    EXPECT_TRUE(read(answerWith({}), picture::KeepMetadata::WithLocation).decoded.metadata.exif.empty());

    EXPECT_EQ(read(answerWith(exif), picture::KeepMetadata::None).kind, Answer::Kind::Invalid)
        << "a block nobody asked for";
    std::vector<std::uint8_t> other = exif;
    other[0] = 'X';
    EXPECT_EQ(read(answerWith(other), picture::KeepMetadata::WithLocation).kind, Answer::Kind::Invalid)
        << "bytes that are no TIFF structure";
    const std::vector<std::uint8_t> tooLong(picture::Metadata::kMaxExifBytes + 1, 'I');
    EXPECT_EQ(read(answerWith(exif,
                              [](decoder::AnswerHead& head) {
                                  head.exifBytes = std::uint32_t(picture::Metadata::kMaxExifBytes + 1);
                              }),
                   picture::KeepMetadata::WithLocation)
                  .kind,
              Answer::Kind::Invalid)
        << "more than a copy can carry";
    EXPECT_TRUE(read(answerWith(tooLong), picture::KeepMetadata::WithLocation).decoded.metadata.exif.empty())
        << "a decoder sends no block beyond the bound";
}

} // namespace
