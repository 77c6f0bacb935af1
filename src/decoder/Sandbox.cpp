#include "decoder/Sandbox.h"

#include "decoder/Wire.h"

#include <fcntl.h>
#include <linux/sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace vardolin::decoder {
namespace {

// The data limit set at the start, and the process's status file, opened
// before the filter forbids opening it and read again for each picture.
rlim_t dataLimit = 0;
bool narrowed = false; // the limit is lower than at the start
int statusFile = -1;
// The least a picture is given, whatever its size: some codecs start a
// thread per core, each with its stack and buffers, for the smallest
// picture too. Counted before the filter forbids reading how many cores.
std::uint64_t leastRoom = 0;

// Bytes of private writable memory the process holds now (its data limit's
// measure); 0 when that cannot be read.
std::uint64_t dataBytesNow()
{
    char text[4096];
    const ssize_t got = pread(statusFile, text, sizeof text - 1, 0);
    if (got <= 0)
        return 0;
    text[got] = '\0';
    const char* line = std::strstr(text, "\nVmData:");
    return line ? std::strtoull(line + 8, nullptr, 10) * 1024 : 0;
}

[[noreturn]] void outOfMemory()
{
    _exit(kExitOutOfMemory);
}

// AddressSanitizer reserves terabytes of shadow memory, which any limit on
// address space or data counts; its build bounds the process from outside
// instead (the run watches the resident size, batch/DecoderProcess.cpp).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLimitData = false;
#else
constexpr bool kLimitData = true;
#endif

bool limitMemory(const picture::Limits& limits)
{
    if (!kLimitData)
        return true;
    statusFile = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    leastRoom = (std::uint64_t(256) << 20) + (std::uint64_t(16) << 20) * std::uint64_t(std::max(cores, 1L));
    dataLimit = rlim_t(dataBytesNow() + picture::decodeMemoryLimit(limits));
    const rlimit limit{dataLimit, dataLimit};
    return setrlimit(RLIMIT_DATA, &limit) == 0;
}

using FilterOwner = std::unique_ptr<void, void (*)(scmp_filter_ctx)>;

bool allow(scmp_filter_ctx filter, int call)
{
    return seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 0) == 0;
}

template <typename... Conditions> bool allowWhen(scmp_filter_ctx filter, int call, Conditions... conditions)
{
    return seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, sizeof...(conditions), conditions...) == 0;
}

bool refuse(scmp_filter_ctx filter, int call, int error)
{
    return seccomp_rule_add(filter, SCMP_ACT_ERRNO(std::uint32_t(error)), call, 0) == 0;
}

// Reading what it is handed and answering on its socket.
bool allowDescriptors(scmp_filter_ctx filter)
{
    const auto onSocket = SCMP_A0(SCMP_CMP_EQ, kSocket);
    const auto toStandardOutput = SCMP_A0(SCMP_CMP_LE, STDERR_FILENO);
    return allow(filter, SCMP_SYS(read)) && allow(filter, SCMP_SYS(pread64)) && allow(filter, SCMP_SYS(readv))
           && allow(filter, SCMP_SYS(lseek)) && allow(filter, SCMP_SYS(close))
           && allow(filter, SCMP_SYS(fstat)) // the source's size
           && allowWhen(filter, SCMP_SYS(newfstatat), SCMP_A3(SCMP_CMP_EQ, AT_EMPTY_PATH))
           && allowWhen(filter, SCMP_SYS(recvmsg), onSocket) && allowWhen(filter, SCMP_SYS(sendto), onSocket)
           && allowWhen(filter, SCMP_SYS(write), toStandardOutput)
           && allowWhen(filter, SCMP_SYS(writev), toStandardOutput);
}

// Memory, never executable: no code is made at run time here.
bool allowMemory(scmp_filter_ctx filter)
{
    const auto notExecutable = SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0);
    return allow(filter, SCMP_SYS(brk)) && allowWhen(filter, SCMP_SYS(mmap), notExecutable)
           && allowWhen(filter, SCMP_SYS(mprotect), notExecutable) && allow(filter, SCMP_SYS(munmap))
           && allow(filter, SCMP_SYS(mremap))
           && allow(filter, SCMP_SYS(madvise))
           // The C library's qsort asks how much memory the machine has
           // before it takes a buffer (libtiff sorts its tag tables).
           && allow(filter, SCMP_SYS(sysinfo))
           // Its own data limit, narrowed for a picture and set back
           // (never above the hard limit of the start).
           && allowWhen(filter, SCMP_SYS(prlimit64), SCMP_A0(SCMP_CMP_EQ, 0), SCMP_A1(SCMP_CMP_EQ, RLIMIT_DATA))
           && allowWhen(filter, SCMP_SYS(setrlimit), SCMP_A0(SCMP_CMP_EQ, RLIMIT_DATA));
}

// The codecs' worker threads, and the signals a thread sends itself to end
// the process (abort).
bool allowThreads(scmp_filter_ctx filter)
{
    const auto ownProcess = SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(getpid()));
    return allowWhen(filter, SCMP_SYS(clone), SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD))
           // glibc asks for clone3 first and takes clone when the kernel has none.
           && refuse(filter, SCMP_SYS(clone3), ENOSYS) && allow(filter, SCMP_SYS(set_robust_list))
           && allow(filter, SCMP_SYS(rseq)) && allow(filter, SCMP_SYS(futex)) && allow(filter, SCMP_SYS(sched_yield))
           && allow(filter, SCMP_SYS(sched_getaffinity)) && allow(filter, SCMP_SYS(gettid))
           && allow(filter, SCMP_SYS(getpid)) && allow(filter, SCMP_SYS(rt_sigprocmask))
           && allow(filter, SCMP_SYS(rt_sigaction)) && allow(filter, SCMP_SYS(rt_sigreturn))
           && allowWhen(filter, SCMP_SYS(tgkill), ownProcess) && allow(filter, SCMP_SYS(clock_gettime))
           && allow(filter, SCMP_SYS(clock_nanosleep))
           && allow(filter, SCMP_SYS(nanosleep))
           // The AV1 decoder names its threads; the sanitizer build gives
           // each thread a stack of its own for signals.
           && allowWhen(filter, SCMP_SYS(prctl), SCMP_A0(SCMP_CMP_EQ, PR_SET_NAME))
           && allow(filter, SCMP_SYS(sigaltstack)) && allow(filter, SCMP_SYS(exit))
           && allow(filter, SCMP_SYS(exit_group));
}

} // namespace

bool prepareProcess(pid_t parent, const picture::Limits& limits)
{
    // Whatever the run does, this process cannot outlive it.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent)
        return false;
    // Only the standard descriptors and the socket: nothing the run (or a
    // library in it) opened without closing on exec stays within reach.
    if (close_range(kSocket + 1, ~0U, 0) != 0)
        return false;
    const rlimit noCore{0, 0};
    if (setrlimit(RLIMIT_CORE, &noCore) != 0)
        return false;
    std::set_new_handler(outOfMemory);
    return limitMemory(limits);
}

void narrowMemoryFor(std::uint64_t pixels)
{
    if (dataLimit == 0)
        return;
    const std::uint64_t now = dataBytesNow();
    if (now == 0)
        return;
    const std::uint64_t room = std::max(2 * picture::decodeMemoryFor(pixels), leastRoom);
    const rlimit limit{rlim_t(std::min<std::uint64_t>(dataLimit, now + room)), dataLimit};
    narrowed = setrlimit(RLIMIT_DATA, &limit) == 0;
}

void widenMemory()
{
    if (!narrowed)
        return;
    const rlimit limit{dataLimit, dataLimit};
    narrowed = setrlimit(RLIMIT_DATA, &limit) != 0;
}

bool closeSandbox()
{
    // Kills the whole process, not only the thread that asked.
    const FilterOwner filter(seccomp_init(SCMP_ACT_KILL_PROCESS), seccomp_release);
    if (!filter)
        return false;
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && allowDescriptors(filter.get()) && allowMemory(filter.get())
           && allowThreads(filter.get()) && seccomp_load(filter.get()) == 0;
}

} // namespace vardolin::decoder
