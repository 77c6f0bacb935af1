#include "decoder/Serve.h"

#include "decoder/Sandbox.h"
#include "decoder/Wire.h"
#include "picture/Reduce.h"

#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace vardolin::decoder {
namespace {

// A descriptor this process owns.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    int get() const { return fd_; }

private:
    int fd_;
};

struct Received {
    Request request;
    Descriptor source;
};

enum class Reading { Request, Closed, Broken };

// One request: its fixed bytes, with the source's descriptor beside them.
// The bytes may arrive in parts; the descriptor comes with the first.
Reading receive(int socket, std::optional<Received>& received)
{
    RequestBytes bytes{};
    std::size_t have = 0;
    Descriptor source;
    while (have < bytes.size()) {
        iovec part{bytes.data() + have, bytes.size() - have};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0 && have == 0 ? Reading::Closed : Reading::Broken;
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS
                && header->cmsg_len == CMSG_LEN(sizeof(int))) {
                int fd = -1;
                std::memcpy(&fd, CMSG_DATA(header), sizeof fd);
                source = Descriptor(fd);
            }
        }
        if (message.msg_flags & MSG_CTRUNC)
            return Reading::Broken;
        have += std::size_t(got);
    }
    const auto request = decodeRequest({bytes.data(), bytes.size()});
    if (!request || source.get() < 0)
        return Reading::Broken;
    received = Received{*request, std::move(source)};
    return Reading::Request;
}

// The source's bytes: mapped where the file allows it (no copy, and not
// counted against the memory limit, which is for what decoding makes),
// otherwise read.
class SourceBytes {
public:
    explicit SourceBytes(int fd)
    {
        struct stat status {};
        if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            problem_ = "cannot read file: not a regular file";
            return;
        }
        const auto size = std::size_t(status.st_size);
        if (size == 0)
            return;
        void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (mapped != MAP_FAILED) {
            mapping_ = {static_cast<const std::uint8_t*>(mapped), size};
            return;
        }
        read(fd, size);
    }
    ~SourceBytes()
    {
        if (mapping_.data)
            munmap(const_cast<std::uint8_t*>(mapping_.data), mapping_.size);
    }
    SourceBytes(const SourceBytes&) = delete;
    SourceBytes& operator=(const SourceBytes&) = delete;

    const std::string& problem() const { return problem_; }
    picture::ByteSpan bytes() const { return mapping_.data ? mapping_ : picture::ByteSpan{copy_.data(), copy_.size()}; }

private:
    void read(int fd, std::size_t size)
    {
        copy_.resize(size);
        std::size_t have = 0;
        while (have < size) {
            const ssize_t got = ::read(fd, copy_.data() + have, size - have);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            have += std::size_t(got);
        }
        if (have != size)
            problem_ = "short read: file is shorter than its size";
    }

    picture::ByteSpan mapping_;
    std::vector<std::uint8_t> copy_;
    std::string problem_;
};

bool sendAll(int socket, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= std::size_t(sent);
    }
    return true;
}

bool answer(int socket, const picture::Reduced& reduced)
{
    const std::vector<std::uint8_t> head = answerFor(reduced);
    if (!sendAll(socket, head.data(), head.size()))
        return false;
    if (reduced.failed != picture::Reduced::Failed::Nothing)
        return true;
    const std::vector<std::uint8_t>& pixels = reduced.decoded.picture.pixels;
    return sendAll(socket, pixels.data(), pixels.size());
}

picture::Reduced unreadable(const std::string& problem)
{
    picture::Reduced reduced;
    reduced.failed = picture::Reduced::Failed::Load;
    reduced.reason = problem;
    return reduced;
}

} // namespace

int serveRequests(int socket, picture::ColourCache& cache, BeforeDecoding beforeDecoding)
{
    for (;;) {
        std::optional<Received> received;
        switch (receive(socket, received)) {
        case Reading::Closed: return 0;
        case Reading::Broken: return kExitBrokenSocket;
        case Reading::Request: break;
        }
        const SourceBytes source(received->source.get());
        if (beforeDecoding && beforeDecoding(source.bytes(), socket))
            continue;
        picture::ReduceRequest request;
        request.limits = received->request.limits;
        request.shortSide = received->request.shortSide;
        request.applyExifOrientation = received->request.applyExifOrientation;
        request.metadata = received->request.metadata;
        request.beforeDecodingPixels = narrowMemoryFor;
        const picture::Reduced reduced = source.problem().empty()
                                             ? picture::reduceForCopy(source.bytes(), request, cache)
                                             : unreadable(source.problem());
        widenMemory(); // the limit a HEIF picture narrowed, for the next file
        if (!answer(socket, reduced))
            return kExitBrokenSocket;
    }
}

} // namespace vardolin::decoder
