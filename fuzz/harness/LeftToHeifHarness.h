#pragma once
// libheif allocates for what a HEIF file states (a grid's whole canvas)
// before any check of ours is asked; in the program the decode process's
// memory and time limits end such a file alone. The heif harness fuzzes
// those files and goes on past such blow-ups. The harnesses of the whole load
// path leave HEIF files to it, so that a memory limit they hit is ours.

#include "picture/Formats.h"

namespace vardolin::fuzz {

inline bool leftToHeifHarness(const std::uint8_t* data, std::size_t size)
{
    const picture::ByteSpan bytes{data, size};
    for (const picture::FormatRow& row : picture::formatTable()) {
        if (row.probe && row.probe(bytes))
            return row.format == picture::Format::Heif;
    }
    return false;
}

} // namespace vardolin::fuzz
