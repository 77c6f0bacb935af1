// vardolin-bench-decoder [--short-side S] [--rounds N] FILE...
//
// What the decode process costs beside decoding: each file is made into the
// copy's picture (load, shrink, scale, colours) N times in this process, then
// N times through one decode process, on one thread; the difference per file
// is the cost of handing the file over and taking the picture back. Then what
// a fresh decode process adds to its first answer: what each worker pays once
// per run. Wall time is the median of the rounds; processor time is this
// process's and its decode processes' (reaped at the end of each block), per
// file, which a loaded machine disturbs less.

#include "batch/Decoders.h"

#include "picture/Colour.h"
#include "picture/Reduce.h"
#include "util/FileNames.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace vardolin;
using Clock = std::chrono::steady_clock;

namespace {

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this process and of its children that have ended.
double processorMilliseconds()
{
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        for (const timeval& time : {usage.ru_utime, usage.ru_stime})
            total += double(time.tv_sec) * 1000.0 + double(time.tv_usec) / 1000.0;
    }
    return total;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// In this process, from the file's name as a decoder gets it from its open
// descriptor: read, then the same steps.
double inProcess(const std::string& file, std::int64_t shortSide, picture::ColourCache& cache)
{
    const auto start = Clock::now();
    // One read into one buffer, as a load in this process reads a file.
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    std::vector<std::uint8_t> bytes(std::size_t(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    picture::ReduceRequest request;
    request.shortSide = shortSide;
    const picture::Reduced reduced = picture::reduceForCopy({bytes.data(), bytes.size()}, request, cache);
    if (reduced.failed != picture::Reduced::Failed::Nothing) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), reduced.reason.c_str());
        std::exit(1);
    }
    return millisecondsSince(start);
}

double throughDecoder(batch::Decoders& decoders, const std::string& file, std::int64_t shortSide)
{
    const auto start = Clock::now();
    const batch::ReducedPicture reduced = decoders.reduce(util::fromFsPath(file), shortSide);
    if (!reduced.ok()) {
        std::fprintf(stderr, "%s: %s\n", file.c_str(), batch::problemOf(reduced).toStdString().c_str());
        std::exit(1);
    }
    return millisecondsSince(start);
}

} // namespace

int main(int argc, char** argv)
{
    std::int64_t shortSide = 600;
    int rounds = 20;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--short-side" && i + 1 < argc)
            shortSide = std::atoll(argv[++i]);
        else if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: vardolin-bench-decoder [--short-side S] [--rounds N] FILE...\n");
        return 2;
    }

    picture::ColourCache cache;
    std::printf("%-34s %10s %10s %10s   %10s %10s %10s\n", "file", "here ms", "decoder", "cost", "cpu here", "decoder",
                "cost");
    std::vector<double> costs, cpuCosts;
    for (const std::string& file : files) {
        std::vector<double> here, there;
        double cpu = processorMilliseconds();
        for (int round = 0; round < rounds; ++round)
            here.push_back(inProcess(file, shortSide, cache));
        const double cpuHere = (processorMilliseconds() - cpu) / rounds;
        cpu = processorMilliseconds();
        {
            batch::Decoders decoders({}, picture::Limits{});
            for (int round = 0; round < rounds; ++round)
                there.push_back(throughDecoder(decoders, file, shortSide));
        }
        const double cpuThere = (processorMilliseconds() - cpu) / rounds;
        costs.push_back(median(there) - median(here));
        cpuCosts.push_back(cpuThere - cpuHere);
        std::printf("%-34s %10.3f %10.3f %10.3f   %10.3f %10.3f %10.3f\n",
                    file.substr(file.find_last_of('/') + 1).c_str(), median(here), median(there), costs.back(), cpuHere,
                    cpuThere, cpuCosts.back());
    }
    std::printf("handing a file over and taking its picture back: %.3f ms wall, %.3f ms processor time a file "
                "(medians over the files; the processor time holds 1/%d of a start)\n",
                median(costs), median(cpuCosts), rounds);

    std::vector<double> starts;
    double cpu = processorMilliseconds();
    double cpuHere = 0;
    for (int round = 0; round < rounds; ++round) {
        const double before = processorMilliseconds();
        const double here = inProcess(files.front(), shortSide, cache);
        cpuHere += processorMilliseconds() - before;
        batch::Decoders fresh({}, picture::Limits{});
        starts.push_back(throughDecoder(fresh, files.front(), shortSide) - here);
    }
    const double cpuStart = (processorMilliseconds() - cpu - 2 * cpuHere) / rounds;
    std::printf("starting a decode process, beyond its first answer: %.3f ms wall (median of %d), %.3f ms processor "
                "time\n",
                median(starts), rounds, cpuStart);
    return 0;
}
