#include "picture/formats/Bmp.h"

#include "picture/ComposeOnWhite.h"
#include "picture/formats/OutputFile.h"
#include "picture/palette/PaletteReduction.h"

#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace vardolin::picture {
namespace {

constexpr std::uint32_t kHeadersSize = 14 + 40;

void put16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = std::uint8_t(value);
    at[1] = std::uint8_t(value >> 8);
}

void put32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(value >> (8 * i));
}

std::array<std::uint8_t, kHeadersSize> headers(std::int32_t width, std::int32_t height, int depth,
                                               std::uint32_t pixelOffset, std::uint32_t imageSize)
{
    std::array<std::uint8_t, kHeadersSize> bytes{};
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(&bytes[2], pixelOffset + imageSize);
    put32(&bytes[10], pixelOffset);
    put32(&bytes[14], 40);
    put32(&bytes[18], std::uint32_t(width));
    put32(&bytes[22], std::uint32_t(height));
    put16(&bytes[26], 1);
    put16(&bytes[28], std::uint16_t(depth));
    put32(&bytes[34], imageSize);
    // Compression, resolutions and colour counts stay 0.
    return bytes;
}

void packIndices(const std::uint8_t* indices, std::int32_t width, int depth, std::uint8_t* out)
{
    const int perByte = 8 / depth;
    for (std::int32_t x = 0; x < width; ++x) {
        const int shift = 8 - depth * (x % perByte + 1); // first pixel in the high bits
        out[x / perByte] = std::uint8_t(out[x / perByte] | (indices[x] << shift));
    }
}

// Fills one file row from a memory row at the output depth.
void fileRow(const RowSource& rows, std::int32_t y, int depth, PaletteReduction* reduction, std::uint8_t* out)
{
    const std::uint8_t* in = rows.memoryRow(y);
    if (reduction != nullptr) {
        if (depth == 8)
            std::memcpy(out, reduction->indexRow(y), std::size_t(rows.width));
        else
            packIndices(reduction->indexRow(y), rows.width, depth, out);
    } else if (depth == 32) { // from 24-bit rows: a zero fourth byte
        for (std::int32_t x = 0; x < rows.width; ++x, in += 3, out += 4) {
            std::memcpy(out, in, 3);
            out[3] = 0;
        }
    } else if (rows.depth == 32) {
        composeRowOnWhite(in, rows.width, out);
    } else {
        std::memcpy(out, in, std::size_t(rows.width) * 3);
    }
}

bool writeAll(std::FILE* file, const void* data, std::size_t size)
{
    return std::fwrite(data, 1, size, file) == size;
}

bool writeColourTable(std::FILE* file, const std::vector<PaletteEntry>& palette)
{
    std::vector<std::uint8_t> table;
    for (const PaletteEntry& entry : palette)
        table.insert(table.end(), {entry.blue, entry.green, entry.red, 0});
    return writeAll(file, table.data(), table.size());
}

bool writePixels(std::FILE* file, const RowSource& rows, int depth, PaletteReduction* reduction,
                 std::uint32_t rowLength)
{
    if (reduction == nullptr && depth == rows.depth && std::uint32_t(rows.stride) == rowLength)
        return writeAll(file, rows.pixels, std::size_t(rowLength) * std::size_t(rows.height));
    std::vector<std::uint8_t> row(rowLength);
    for (std::int32_t y = 0; y < rows.height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        fileRow(rows, y, depth, reduction, row.data());
        if (!writeAll(file, row.data(), row.size()))
            return false;
    }
    return true;
}

} // namespace

bool bmpWritesDepth(int outputDepth)
{
    return outputDepth == 1 || outputDepth == 4 || outputDepth == 8 || outputDepth == 24 || outputDepth == 32;
}

std::uint32_t bmpRowLength(std::int32_t width, int outputDepth)
{
    const auto w = std::uint64_t(width);
    std::uint64_t bytes = 0;
    switch (outputDepth) {
    case 1: bytes = (w + 7) / 8; break;
    case 4: bytes = (w + 1) / 2; break;
    case 8: bytes = w; break;
    default: bytes = w * std::uint64_t(outputDepth / 8); break;
    }
    const std::uint64_t padded = (bytes + 3) / 4 * 4;
    return std::uint32_t(padded < 4 ? 4 : padded);
}

Result<void> encodeBmp(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings)
{
    const int outputDepth = settings.outputDepth;
    if (!bmpWritesDepth(outputDepth))
        return fail("BMP cannot be written at " + std::to_string(outputDepth) + " bits per pixel");
    const std::uint32_t rowLength = bmpRowLength(rows.width, outputDepth);
    const std::uint32_t tableSize = outputDepth <= 8 ? 4u << outputDepth : 0;
    const std::uint32_t pixelOffset = kHeadersSize + tableSize;
    const std::uint64_t imageSize = std::uint64_t(rowLength) * std::uint64_t(rows.height);
    if (imageSize + pixelOffset > std::numeric_limits<std::uint32_t>::max())
        return fail("the picture is too large for a BMP file");
    std::optional<PaletteReduction> reduction;
    if (outputDepth <= 8)
        reduction.emplace(rows, outputDepth);

    OutputFile target(file);
    if (!target.isOpen())
        return fail(target.whyNotOpen());
    const auto header = headers(rows.width, rows.height, outputDepth, pixelOffset, std::uint32_t(imageSize));
    const bool written =
        writeAll(target.handle(), header.data(), header.size())
        && (!reduction || writeColourTable(target.handle(), reduction->palette()))
        && writePixels(target.handle(), rows, outputDepth, reduction ? &*reduction : nullptr, rowLength);
    if (!written)
        return fail("writing the file failed");
    return target.finish();
}

} // namespace vardolin::picture
