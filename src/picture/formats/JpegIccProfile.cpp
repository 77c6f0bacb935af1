#include "picture/formats/JpegIccProfile.h"

#include <array>
#include <cstring>
#include <string>

namespace vardolin::picture {
namespace {

constexpr char kSignature[] = "ICC_PROFILE"; // with its terminating zero: 12 bytes
constexpr std::size_t kHeaderSize = sizeof kSignature + 2;

bool isIccChunk(ByteSpan marker)
{
    return marker.size >= kHeaderSize && std::memcmp(marker.data, kSignature, sizeof kSignature) == 0;
}

} // namespace

Result<std::vector<std::uint8_t>> joinIccChunks(std::span<const ByteSpan> app2Markers)
{
    std::array<ByteSpan, 256> chunks{}; // by sequence number; 0 unused
    std::array<bool, 256> seen{};
    int count = 0;
    for (const ByteSpan marker : app2Markers) {
        if (!isIccChunk(marker))
            continue;
        const int sequence = marker.data[sizeof kSignature];
        const int total = marker.data[sizeof kSignature + 1];
        if (count == 0)
            count = total;
        if (total == 0 || total != count)
            return fail("ICC profile chunks disagree on their number");
        if (sequence == 0 || sequence > total)
            return fail("ICC profile chunk " + std::to_string(sequence) + " of " + std::to_string(total));
        if (seen[std::size_t(sequence)])
            return fail("ICC profile chunk " + std::to_string(sequence) + " appears twice");
        seen[std::size_t(sequence)] = true;
        chunks[std::size_t(sequence)] = marker.sub(kHeaderSize, marker.size - kHeaderSize);
    }
    std::vector<std::uint8_t> profile;
    std::size_t size = 0;
    for (int sequence = 1; sequence <= count; ++sequence) {
        if (!seen[std::size_t(sequence)])
            return fail("ICC profile chunk " + std::to_string(sequence) + " of " + std::to_string(count)
                        + " is missing");
        size += chunks[std::size_t(sequence)].size;
    }
    profile.reserve(size);
    for (int sequence = 1; sequence <= count; ++sequence) {
        const ByteSpan chunk = chunks[std::size_t(sequence)];
        profile.insert(profile.end(), chunk.data, chunk.data + chunk.size);
    }
    return profile;
}

} // namespace vardolin::picture
