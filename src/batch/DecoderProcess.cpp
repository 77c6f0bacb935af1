#include "batch/DecoderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace vardolin::batch {
namespace {

using Clock = std::chrono::steady_clock;

// AddressSanitizer's shadow memory defeats the decode process's own memory
// limit, so in that build the run watches its resident size instead, in
// slices of this length.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kWatchResidentSize = true;
constexpr bool kKeepStandardError = true; // a sanitizer's report is worth seeing
#else
constexpr bool kWatchResidentSize = false;
constexpr bool kKeepStandardError = false;
#endif
constexpr auto kWatchSlice = std::chrono::milliseconds(50);
constexpr std::uint64_t kSanitizerRoom = std::uint64_t(512) << 20;
// How long a process that closed its socket may take to end.
constexpr auto kEndingGrace = std::chrono::seconds(2);

std::uint64_t residentBytes(pid_t pid)
{
    std::ifstream statm("/proc/" + std::to_string(pid) + "/statm");
    std::uint64_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * std::uint64_t(sysconf(_SC_PAGESIZE));
}

int millisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return int(std::clamp<long long>(left, 0, 24 * 3600 * 1000));
}

// The socket's bytes until the deadline; says why it stopped when it did.
class SocketSource : public AnswerSource {
public:
    enum class Stopped : std::uint8_t { No, Closed, TimeLimit, OutOfMemory };

    SocketSource(int socket, pid_t pid, Clock::time_point deadline, std::uint64_t residentLimit)
        : socket_(socket), pid_(pid), deadline_(deadline), residentLimit_(residentLimit)
    {
    }

    bool read(std::uint8_t* into, std::size_t size) override
    {
        while (size > 0) {
            if (!waitForBytes())
                return false;
            const ssize_t got = recv(socket_, into, size, MSG_DONTWAIT);
            if (got < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            if (got <= 0)
                return stop(Stopped::Closed);
            into += got;
            size -= std::size_t(got);
        }
        return true;
    }

    Stopped stopped() const { return stopped_; }

private:
    bool waitForBytes()
    {
        for (;;) {
            int wait = millisecondsUntil(deadline_);
            if (wait == 0)
                return stop(Stopped::TimeLimit);
            if (kWatchResidentSize)
                wait = std::min(wait, int(kWatchSlice.count()));
            pollfd socket{socket_, POLLIN, 0};
            const int ready = poll(&socket, 1, wait);
            if (ready > 0)
                return true;
            if (ready < 0 && errno != EINTR)
                return stop(Stopped::Closed);
            if (kWatchResidentSize && residentBytes(pid_) > residentLimit_)
                return stop(Stopped::OutOfMemory);
        }
    }
    bool stop(Stopped why)
    {
        stopped_ = why;
        return false;
    }

    const int socket_;
    const pid_t pid_;
    const Clock::time_point deadline_;
    const std::uint64_t residentLimit_;
    Stopped stopped_ = Stopped::No;
};

// True when more bytes wait after a whole answer: it said more than asked.
bool saysMore(int socket)
{
    std::uint8_t byte = 0;
    return recv(socket, &byte, 1, MSG_DONTWAIT | MSG_PEEK) > 0;
}

DecoderEnd endOf(int status)
{
    if (WIFSIGNALED(status))
        return {DecoderEnd::Cause::Signal, WTERMSIG(status), {}};
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    switch (code) {
    case decoder::kExitOutOfMemory: return {DecoderEnd::Cause::OutOfMemory, 0, {}};
    case decoder::kExitNoSandbox: return {DecoderEnd::Cause::NoSandbox, 0, {}};
    default: return {DecoderEnd::Cause::Status, code, {}};
    }
}

// The run's environment; in the sanitizer build with the decoder's memory
// limit as AddressSanitizer's largest allocation, which then fails (and
// ends the process with kExitOutOfMemory) instead of reserving it.
class Environment {
public:
    explicit Environment(const picture::Limits& limits)
    {
        std::string sanitizer;
        for (char** variable = environ; *variable; ++variable) {
            if (kWatchResidentSize && std::strncmp(*variable, "ASAN_OPTIONS=", 13) == 0)
                sanitizer = *variable + 13;
            else
                pointers_.push_back(*variable);
        }
        if (kWatchResidentSize) {
            const std::uint64_t megabytes = picture::decodeMemoryLimit(limits) >> 20;
            sanitizer_ = "ASAN_OPTIONS=" + sanitizer
                         + ":allocator_may_return_null=1:max_allocation_size_mb=" + std::to_string(megabytes);
            pointers_.push_back(sanitizer_.data());
        }
        pointers_.push_back(nullptr);
    }
    char** get() { return pointers_.data(); }

private:
    std::string sanitizer_;
    std::vector<char*> pointers_;
};

// posix_spawn's file actions and attributes, freed on every path.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnSetup()
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup()
    {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

} // namespace

DecoderProcess::DecoderProcess(std::string executable, const picture::Limits& limits,
                               std::chrono::milliseconds timeLimit)
    : executable_(std::move(executable)), limits_(limits), timeLimit_(timeLimit)
{
}

DecoderProcess::~DecoderProcess()
{
    stop();
}

bool DecoderProcess::start(std::string& problem)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    // Its end becomes descriptor 3 in the child, where a dup2 onto itself
    // would keep the close-on-exec flag.
    int childEnd = ends[1];
    if (childEnd == decoder::kSocket) {
        childEnd = fcntl(ends[1], F_DUPFD_CLOEXEC, decoder::kSocket + 1);
        close(ends[1]);
    }
    SpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (!kKeepStandardError)
        posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&setup.actions, childEnd, decoder::kSocket);
    // A group of its own: the terminal's Ctrl+C reaches the run, which
    // decides what happens to the files in progress, not the decoders.
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setpgroup(&setup.attributes, 0);
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);

    const std::string parent = std::to_string(getpid()), budget = std::to_string(limits_.pixelBudget),
                      side = std::to_string(limits_.maxSide);
    std::vector<char*> arguments{const_cast<char*>(executable_.c_str()), const_cast<char*>("--parent"),
                                 const_cast<char*>(parent.c_str()),      const_cast<char*>("--pixel-budget"),
                                 const_cast<char*>(budget.c_str()),      const_cast<char*>("--max-side"),
                                 const_cast<char*>(side.c_str()),        nullptr};
    Environment environment(limits_);
    const int error =
        posix_spawn(&pid_, executable_.c_str(), &setup.actions, &setup.attributes, arguments.data(), environment.get());
    close(childEnd);
    if (error != 0) {
        close(ends[0]);
        pid_ = -1;
        problem = executable_ + ": " + std::strerror(error);
        return false;
    }
    socket_ = ends[0];
    exitWatch_ = int(syscall(SYS_pidfd_open, pid_, 0));
    return true;
}

bool DecoderProcess::send(int source, const decoder::RequestBytes& request)
{
    iovec bytes{const_cast<std::uint8_t*>(request.data()), request.size()};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr message{};
    message.msg_iov = &bytes;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &source, sizeof source);
    ssize_t sent;
    do
        sent = sendmsg(socket_, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(request.size());
}

Reply DecoderProcess::reduce(int source, std::int64_t shortSide, picture::KeepMetadata metadata)
{
    decoder::Request request;
    request.shortSide = shortSide;
    request.metadata = metadata;
    request.limits = limits_;
    const decoder::RequestBytes bytes = decoder::encodeRequest(request);
    // A process that ended while it waited (killed from outside, say) is
    // replaced once; the file was not in its hands yet. One that ends again
    // before it takes the file cannot start: how it ended says why.
    bool sent = false;
    DecoderEnd ended;
    for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
        std::string problem;
        if (pid_ < 0 && !start(problem))
            return {{}, {DecoderEnd::Cause::NotStarted, 0, problem}};
        sent = send(source, bytes);
        if (!sent)
            ended = reap(true);
    }
    if (!sent)
        return {{}, ended};

    struct stat status {};
    const std::uint64_t sourceBytes = fstat(source, &status) == 0 ? std::uint64_t(status.st_size) : 0;
    SocketSource answerBytes(socket_, pid_, Clock::now() + timeLimit_,
                             picture::decodeMemoryLimit(limits_) + sourceBytes + kSanitizerRoom);
    Reply reply{readAnswer(answerBytes, request), {}};
    switch (reply.answer.kind) {
    case Answer::Kind::Picture:
    case Answer::Kind::LoadFailed:
    case Answer::Kind::ScaleFailed:
        if (!saysMore(socket_))
            return reply;
        reap(true);
        return {{}, {DecoderEnd::Cause::Invalid, 0, {}}};
    case Answer::Kind::Invalid: reap(true); return {{}, {DecoderEnd::Cause::Invalid, 0, {}}};
    case Answer::Kind::Cut: break;
    }
    switch (answerBytes.stopped()) {
    case SocketSource::Stopped::TimeLimit: reap(true); return {{}, {DecoderEnd::Cause::TimeLimit, 0, {}}};
    case SocketSource::Stopped::OutOfMemory: reap(true); return {{}, {DecoderEnd::Cause::OutOfMemory, 0, {}}};
    default: break;
    }
    // It closed the socket: it is ending, or pretends to.
    pollfd exit{exitWatch_, POLLIN, 0};
    const bool endedInTime = exitWatch_ >= 0 && poll(&exit, 1, int(kEndingGrace.count() * 1000)) > 0;
    ended = reap(!endedInTime);
    return {{}, endedInTime ? ended : DecoderEnd{DecoderEnd::Cause::Invalid, 0, {}}};
}

DecoderEnd DecoderProcess::reap(bool kill)
{
    if (pid_ < 0)
        return {};
    if (kill)
        ::kill(pid_, SIGKILL);
    close(socket_);
    int status = 0;
    while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    if (exitWatch_ >= 0)
        close(exitWatch_);
    pid_ = socket_ = exitWatch_ = -1;
    return endOf(status);
}

// A closed socket tells the process to end; one that does not is killed.
void DecoderProcess::stop()
{
    if (pid_ < 0)
        return;
    shutdown(socket_, SHUT_RDWR);
    pollfd ended{exitWatch_, POLLIN, 0};
    const bool endedInTime = exitWatch_ >= 0 && poll(&ended, 1, 1000) > 0;
    reap(!endedInTime);
}

} // namespace vardolin::batch
