#pragma once
// Loads bytes in a child process and reports how long the load took and how
// far the child's resident memory rose. The child resets its peak resident
// size first, so the rise is what this one load added, even where the
// allocation itself would have succeeded.

#include "picture/Picture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace vardolin::picture::testing {

struct ChildLoadReport {
    bool ran = false;
    bool loaded = false;
    long peakRiseKiB = -1;
    double milliseconds = -1;
};

inline long kibibytesOfOwnStatus(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0)
            return std::stol(line.substr(length));
    }
    return -1;
}

// ran is false when the child died (a crash or a sanitizer report).
inline ChildLoadReport loadInChild(const std::vector<std::uint8_t>& bytes, const LoadOptions& options = {})
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return {};
    const pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return {};
    }
    if (child == 0) {
        close(pipeEnds[0]);
        ChildLoadReport report;
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = kibibytesOfOwnStatus("VmRSS:");
        const auto started = std::chrono::steady_clock::now();
        const Result<Decoded> result = decodePicture(bytes.data(), bytes.size(), options);
        report.milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        report.peakRiseKiB = kibibytesOfOwnStatus("VmHWM:") - before;
        report.loaded = result.ok();
        report.ran = result.ok() || !result.error().empty();
        [[maybe_unused]] const auto written = write(pipeEnds[1], &report, sizeof report);
        _exit(0);
    }
    close(pipeEnds[1]);
    ChildLoadReport report;
    if (read(pipeEnds[0], &report, sizeof report) != sizeof report)
        report = {};
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        report.ran = false;
    return report;
}

} // namespace vardolin::picture::testing
