// Pictures are decoded in processes of their own. A decoder that crashes,
// aborts, passes its memory limit, hangs, calls what its sandbox forbids or
// answers what was not asked fails only the file it had: the run goes on
// with a fresh process, names the reason in the log line, and leaves no
// process and no temporary file behind.

#include "AnswerBytes.h"
#include "batch/BatchRun.h"
#include "batch/DecoderAnswer.h"
#include "batch/Decoders.h"

#include "BatchTesting.h"
#include "decoder/Wire.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace vardolin;
using namespace vardolin::batch;
using fixture::pictureSize;
using fixture::writeBytes;
using fixture::writePicture;
using picture::Size;

namespace {

// True when this process has no child, running or ended and unreaped.
bool noChildLeft()
{
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

#if defined(__linux__)

class DecodeProcess : public fixture::BatchFolder {};

TEST_F(DecodeProcess, EachWayADecoderEndsFailsOnlyItsFile)
{
    // A sanitizer reports a crash and then aborts, or dies reading /proc for
    // its report, which the sandbox forbids: a signal all the same.
    // The time limit also holds the start of the fresh process that takes
    // the file after a fault, which under the sanitizers on a busy machine
    // can take seconds.
#if defined(__SANITIZE_ADDRESS__)
    const QString crashed = QStringLiteral("Decoder abgebrochen: Signal ");
    constexpr int timeLimit = 10;
#else
    const QString crashed = QStringLiteral("Decoder abgebrochen: Signal 11");
    constexpr int timeLimit = 3;
#endif
    const std::pair<const char*, QString> faults[] = {
        {"crash", crashed},
        {"abort", QStringLiteral("Decoder abgebrochen: Signal 6")},
        {"allocate", QStringLiteral("Decoder abgebrochen: Speichergrenze erreicht")},
        {"loop", QStringLiteral("Decoder abgebrochen: keine Antwort nach %1 s").arg(timeLimit)},
        {"open", QStringLiteral("Decoder abgebrochen: Signal 31")},
        {"exec", QStringLiteral("Decoder abgebrochen: Signal 31")},
        {"lie", QStringLiteral("Decoder abgebrochen: ungültige Antwort")},
    };
    QStringList expectedLines;
    int good = 0;
    for (const auto& [fault, reason] : faults) {
        writePicture(source + QStringLiteral("%1-good.jpg").arg(fault), 40, 30);
        ++good;
        const QString marked = source + QStringLiteral("%1.jpg").arg(fault);
        writeBytes(marked, QByteArray("VARDOLIN-FAULT:") + fault);
        expectedLines.append(failureLogLine(marked, reason));
    }
    expectedLines.sort();
    options.decoding.executable = QStringLiteral(VARDOLIN_FAULTY_DECODER);
    options.decoding.timeLimit = std::chrono::seconds(timeLimit);
    options.limits.pixelBudget = std::uint64_t(1) << 22;
    for (const int jobs : {1, 2}) {
        SCOPED_TRACE(jobs);
        options.jobs = jobs;
        host = {};
        settings.CBZielUeberschreiben = QStringLiteral("1");
        const RunReport report = BilderVerarbeiten(settings, host, options);
        EXPECT_EQ(report.written, good);
        EXPECT_EQ(report.failed, std::ssize(faults));
        QStringList lines = host.logLines;
        lines.sort();
        for (int i = 0; i < std::min(lines.size(), expectedLines.size()); ++i)
            EXPECT_TRUE(lines[i].startsWith(expectedLines[i])) << lines[i].toStdString();
        EXPECT_EQ(lines.size(), expectedLines.size());
        EXPECT_EQ(pictureSize(source + QStringLiteral("!k_lie-good.jpg.JPG")), (Size{80, 60}));
        EXPECT_TRUE(noChildLeft());
        EXPECT_TRUE(fixture::temporariesBelow(root).isEmpty());
    }
}

using Bytes = vardolin::batch::fixture::AnswerBytes;

// A true answer to a short side of 60 for a 4000 x 3000 picture, with one
// note, after the change the caller makes to its head.
std::vector<std::uint8_t> answer(void (*change)(decoder::AnswerHead&), std::string note = "Corrupt data")
{
    decoder::AnswerHead head;
    head.outcome = decoder::Outcome::Picture;
    head.depth = 24;
    head.format = std::uint32_t(picture::Format::Jpeg);
    head.fullSize = {4000, 3000};
    head.size = {80, 60};
    head.noteCount = 1;
    head.textBytes = std::uint32_t(decoder::kNoteHeadBytes + note.size());
    change(head);
    const decoder::AnswerHeadBytes headBytes = decoder::encodeAnswerHead(head);
    const std::uint8_t noteHead[] = {0, std::uint8_t(note.size()), std::uint8_t(note.size() >> 8), 0, 0, 0, 0};
    std::vector<std::uint8_t> bytes(
        headBytes.size() + sizeof noteHead + note.size() + std::size_t(picture::strideFor(80, 24)) * 60, 0x55);
    std::memcpy(bytes.data(), headBytes.data(), headBytes.size());
    std::memcpy(bytes.data() + headBytes.size(), noteHead, sizeof noteHead);
    std::memcpy(bytes.data() + headBytes.size() + sizeof noteHead, note.data(), note.size());
    return bytes;
}

TEST(DecoderAnswer, OnlyThePictureThatWasAskedForIsTaken)
{
    decoder::Request request;
    request.shortSide = 60;
    const auto read = [&request](std::vector<std::uint8_t> bytes) {
        Bytes source(std::move(bytes));
        return readAnswer(source, request);
    };

    const Answer good = read(answer([](decoder::AnswerHead&) {}, "line\none\x1b[2J"));
    ASSERT_EQ(good.kind, Answer::Kind::Picture);
    EXPECT_EQ(good.decoded.notes.at(0).text, "line?one?[2J") << "a note cannot break the log line";
    EXPECT_EQ(good.decoded.picture.pixels.size(), std::size_t(picture::strideFor(80, 24)) * 60);

    using Change = void (*)(decoder::AnswerHead&);
    const std::pair<const char*, Change> lies[] = {
        {"not the size the rule gives",
         [](decoder::AnswerHead& h) {
             h.size = {320, 240};
         }},
        {"a full size over the budget",
         [](decoder::AnswerHead& h) {
             h.fullSize = {80000, 60000};
         }},
        {"a side of none",
         [](decoder::AnswerHead& h) {
             h.fullSize = {4000, 0};
         }},
        {"a depth the engine does not make", [](decoder::AnswerHead& h) { h.depth = 16; }},
        {"an icon, which has no pixels",
         [](decoder::AnswerHead& h) { h.format = std::uint32_t(picture::Format::Icon); }},
        {"more notes than there are", [](decoder::AnswerHead& h) { h.noteCount = 2; }},
        {"texts over the bound", [](decoder::AnswerHead& h) { h.textBytes = 1 << 30; }},
        {"an outcome of none", [](decoder::AnswerHead& h) { h.outcome = decoder::Outcome(7); }},
    };
    for (const auto& [lie, change] : lies)
        EXPECT_EQ(read(answer(change)).kind, Answer::Kind::Invalid) << lie;

    std::vector<std::uint8_t> cut = answer([](decoder::AnswerHead&) {});
    cut.pop_back();
    EXPECT_EQ(read(cut).kind, Answer::Kind::Cut) << "pixels short of the store";

    // A conversion's note keeps what the report names apart from its words.
    picture::Reduced converted;
    converted.decoded.picture.depth = 24;
    converted.decoded.picture.format = picture::Format::Jpeg;
    converted.decoded.picture.fullSize = {4000, 3000};
    converted.decoded.picture.width = 80;
    converted.decoded.picture.height = 60;
    converted.decoded.picture.stride = picture::strideFor(80, 24);
    converted.decoded.picture.pixels.resize(std::size_t(picture::strideFor(80, 24)) * 60);
    converted.decoded.notes = {
        {picture::Note::Kind::ColourConverted, "converted from Adobe RGB (1998)", "Adobe RGB (1998)", "perceptual"}};
    std::vector<std::uint8_t> convertedBytes = decoder::answerFor(converted);
    convertedBytes.resize(convertedBytes.size() + converted.decoded.picture.pixels.size());
    const Answer fromAndIntent = read(std::move(convertedBytes));
    ASSERT_EQ(fromAndIntent.kind, Answer::Kind::Picture);
    EXPECT_EQ(fromAndIntent.decoded.notes, converted.decoded.notes);

    picture::Reduced failed;
    failed.failed = picture::Reduced::Failed::Load;
    failed.reason = std::string(5000, 'x');
    const Answer longReason = read(decoder::answerFor(failed));
    ASSERT_EQ(longReason.kind, Answer::Kind::LoadFailed) << "a decoder cuts what it says to the bound";
    EXPECT_EQ(longReason.reason.size(), decoder::kLongestText);
}

#endif

} // namespace
