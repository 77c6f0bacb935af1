#include "batch/Decoders.h"

#include "picture/Reduce.h"
#include "util/FileNames.h"

#include <filesystem>
#include <system_error>

#if defined(__linux__)
#include "batch/DecoderProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>
#else
#include "picture/Colour.h"

#include <fstream>
#include <iterator>
#endif

namespace vardolin::batch {
namespace {

namespace fs = std::filesystem;

QString secondsText(std::chrono::milliseconds time)
{
    return QString::number(double(time.count()) / 1000.0);
}

ReducedPicture reducedFrom(Answer&& answer, const DecoderEnd& end, std::chrono::milliseconds timeLimit)
{
    using Failed = ReducedPicture::Failed;
    ReducedPicture reduced;
    reduced.timeLimit = timeLimit;
    if (end.cause != DecoderEnd::Cause::None) {
        reduced.failed = Failed::Decoder;
        reduced.end = end;
        return reduced;
    }
    switch (answer.kind) {
    case Answer::Kind::Picture: reduced.decoded = std::move(answer.decoded); return reduced;
    case Answer::Kind::LoadFailed:
        reduced.failed = Failed::Load;
        reduced.reason = std::move(answer.reason);
        return reduced;
    case Answer::Kind::ScaleFailed:
        reduced.failed = Failed::Scale;
        reduced.reason = std::move(answer.reason);
        reduced.scaleTo = answer.scaleTo;
        return reduced;
    case Answer::Kind::Cut:
    case Answer::Kind::Invalid: break;
    }
    reduced.failed = Failed::Decoder;
    reduced.end = {DecoderEnd::Cause::Invalid, 0, {}};
    return reduced;
}

} // namespace

QString problemOf(const ReducedPicture& reduced, util::Language language,
                  const std::function<QString(const std::string&)>& engineWording)
{
    const auto engine = [&](const std::string& reason) {
        return engineWording ? engineWording(reason) : QString::fromStdString(reason);
    };
    using Failed = ReducedPicture::Failed;
    switch (reduced.failed) {
    case Failed::Nothing: break;
    case Failed::Load:
        return util::words(language, QStringLiteral("konnte nicht geladen werden: "),
                           QStringLiteral("could not be loaded: "))
               + engine(reduced.reason);
    case Failed::Scale:
        return util::words(language, QStringLiteral("konnte nicht auf %1 x %2 skaliert werden: "),
                           QStringLiteral("could not be scaled to %1 x %2: "))
                   .arg(reduced.scaleTo.width)
                   .arg(reduced.scaleTo.height)
               + engine(reduced.reason);
    case Failed::Decoder: return decoderEndReason(reduced.end, reduced.timeLimit, language);
    }
    return {};
}

QString decoderEndReason(const DecoderEnd& end, std::chrono::milliseconds timeLimit, util::Language language)
{
    using Cause = DecoderEnd::Cause;
    const auto text = [language](const char* german, const char* english) {
        return util::words(language, QString::fromUtf8(german), QString::fromUtf8(english));
    };
    switch (end.cause) {
    case Cause::Signal: return text("Decoder abgebrochen: Signal %1", "decoder ended: signal %1").arg(end.number);
    case Cause::OutOfMemory:
        return text("Decoder abgebrochen: Speichergrenze erreicht", "decoder ended: out of memory");
    case Cause::TimeLimit:
        return text("Decoder abgebrochen: keine Antwort nach %1 s", "decoder ended: no answer within %1 s")
            .arg(secondsText(timeLimit));
    case Cause::Status: return text("Decoder abgebrochen: Status %1", "decoder ended: status %1").arg(end.number);
    case Cause::Invalid: return text("Decoder abgebrochen: ungültige Antwort", "decoder ended: invalid answer");
    case Cause::NoSandbox:
        return text("Decoder abgebrochen: keine Sandbox möglich", "decoder ended: no sandbox possible");
    case Cause::NotStarted:
        return text("Decoder nicht gestartet: %1", "decoder not started: %1").arg(QString::fromStdString(end.detail));
    case Cause::None: break;
    }
    return {};
}

#if defined(__linux__)

namespace {

// The source, opened by the run: the decoder gets this descriptor and no
// name. Never blocks on a pipe and never becomes a terminal.
class OpenSource {
public:
    explicit OpenSource(const QString& source)
        : fd_(open(util::toFsPath(source).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
    {
        if (fd_ < 0) {
            problem_ = std::string("cannot read file: ") + std::strerror(errno);
            return;
        }
        struct stat status {};
        if (fstat(fd_, &status) != 0)
            problem_ = std::string("cannot read file: ") + std::strerror(errno);
        else if (S_ISDIR(status.st_mode))
            problem_ = std::string("cannot read file: ") + std::strerror(EISDIR);
        else if (!S_ISREG(status.st_mode))
            problem_ = "cannot read file: not a regular file";
    }
    ~OpenSource()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    OpenSource(const OpenSource&) = delete;
    OpenSource& operator=(const OpenSource&) = delete;

    int fd() const { return fd_; }
    const std::string& problem() const { return problem_; }

private:
    int fd_;
    std::string problem_;
};

} // namespace

struct Decoders::Impl {
    DecoderSettings settings;
    picture::Limits limits;
    std::string executable;
    std::mutex mutex;
    std::vector<std::unique_ptr<DecoderProcess>> idle;

    std::unique_ptr<DecoderProcess> take()
    {
        std::lock_guard lock(mutex);
        if (idle.empty())
            return std::make_unique<DecoderProcess>(executable, limits, settings.timeLimit);
        std::unique_ptr<DecoderProcess> process = std::move(idle.back());
        idle.pop_back();
        return process;
    }
    void giveBack(std::unique_ptr<DecoderProcess> process)
    {
        std::lock_guard lock(mutex);
        idle.push_back(std::move(process));
    }
};

Decoders::Decoders(DecoderSettings settings, const picture::Limits& limits) : impl_(std::make_unique<Impl>())
{
    impl_->settings = std::move(settings);
    impl_->limits = limits;
    const QString executable = impl_->settings.executable.isEmpty() ? decoderExecutable() : impl_->settings.executable;
    impl_->executable = util::toFsPath(executable).string();
}

Decoders::~Decoders() = default;

ReducedPicture Decoders::reduce(const QString& source, qint64 shortSide, picture::KeepMetadata metadata)
{
    const std::chrono::milliseconds timeLimit = impl_->settings.timeLimit;
    if (impl_->executable.empty())
        return reducedFrom({}, {DecoderEnd::Cause::NotStarted, 0, "vardolin-decode is not installed with this program"},
                           timeLimit);
    const OpenSource file(source);
    if (!file.problem().empty())
        return reducedFrom({Answer::Kind::LoadFailed, file.problem(), {}, {}}, {}, timeLimit);
    std::unique_ptr<DecoderProcess> process = impl_->take();
    Reply reply = process->reduce(file.fd(), shortSide, metadata);
    impl_->giveBack(std::move(process));
    return reducedFrom(std::move(reply.answer), reply.end, timeLimit);
}

QString decoderExecutable()
{
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    if (error)
        return {};
    const fs::path installed = VARDOLIN_DECODER_FROM_PROGRAMS;
    for (const fs::path& candidate :
         {folder / installed / "vardolin-decode", folder.parent_path() / installed / "vardolin-decode",
          folder / "vardolin-decode"}) {
        if (access(candidate.c_str(), X_OK) == 0 && fs::is_regular_file(candidate, error))
            return util::fromFsPath(candidate.lexically_normal());
    }
    return {};
}

#else

// No decode process here: the same steps in the run's own process.
struct Decoders::Impl {
    DecoderSettings settings;
    picture::Limits limits;
};

Decoders::Decoders(DecoderSettings settings, const picture::Limits& limits) : impl_(std::make_unique<Impl>())
{
    impl_->settings = std::move(settings);
    impl_->limits = limits;
}

Decoders::~Decoders() = default;

ReducedPicture Decoders::reduce(const QString& source, qint64 shortSide, picture::KeepMetadata metadata)
{
    thread_local picture::ColourCache cache;
    std::ifstream in(util::toFsPath(source), std::ios::binary);
    if (!in)
        return reducedFrom({Answer::Kind::LoadFailed, "cannot open file", {}, {}}, {}, impl_->settings.timeLimit);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    picture::ReduceRequest request;
    request.limits = impl_->limits;
    request.shortSide = shortSide;
    request.metadata = metadata;
    picture::Reduced reduced = picture::reduceForCopy({bytes.data(), bytes.size()}, request, cache);
    using Failed = picture::Reduced::Failed;
    const auto kind = reduced.failed == Failed::Nothing ? Answer::Kind::Picture
                      : reduced.failed == Failed::Load  ? Answer::Kind::LoadFailed
                                                        : Answer::Kind::ScaleFailed;
    return reducedFrom({kind, reduced.reason, reduced.scaleTo, std::move(reduced.decoded)}, {},
                       impl_->settings.timeLimit);
}

QString decoderExecutable()
{
    return {};
}

#endif

} // namespace vardolin::batch
