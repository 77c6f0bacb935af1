#include "picture/formats/Decoders.h"

#include <array>

namespace vardolin::picture {

std::span<const DecoderEntry> decoderTable()
{
    // The order is fixed: it decides which decoder reads a file whose bytes
    // more than one probe would accept.
    static constexpr std::array<DecoderEntry, 6> table{{
        {Format::Bmp, probeBmp, decodeBmp},
        {Format::Jpeg, probeJpeg, decodeJpeg},
        {Format::Png, probePng, decodePng},
        {Format::Tiff, probeTiff, decodeTiff},
        {Format::Heif, probeHeif, decodeHeif},
        {Format::Webp, probeWebp, decodeWebp},
    }};
    return table;
}

} // namespace vardolin::picture
