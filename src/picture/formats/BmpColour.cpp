#include "picture/formats/BmpColour.h"

namespace vardolin::picture {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kV5HeaderSize = 124;
constexpr std::size_t kColourSpaceAt = 56; // from the information header's start
constexpr std::size_t kProfileDataAt = 112;
constexpr std::uint32_t kProfileEmbedded = 0x4D424544; // 'MBED'

} // namespace

ColourTag readBmpColour(ByteSpan bytes, Notes& notes)
{
    ColourTag tag;
    ByteCursor cursor(bytes);
    cursor.seek(kFileHeaderSize);
    const auto headerSize = cursor.u32();
    if (!headerSize || *headerSize < kV5HeaderSize)
        return tag;
    cursor.seek(kFileHeaderSize + kColourSpaceAt);
    const auto colourSpace = cursor.u32();
    cursor.seek(kFileHeaderSize + kProfileDataAt);
    const auto offset = cursor.u32();
    const auto size = cursor.u32();
    if (!colourSpace || !size || *colourSpace != kProfileEmbedded)
        return tag;
    // The offset counts from the start of the information header.
    const std::uint64_t start = kFileHeaderSize + std::uint64_t(*offset);
    if (*size == 0 || start > bytes.size || *size > bytes.size - start) {
        notes.push_back({Note::Kind::ColourIgnored, "BMP profile data outside the file"});
        return tag;
    }
    tag.iccProfile.assign(bytes.data + start, bytes.data + start + *size);
    return tag;
}

} // namespace vardolin::picture
