#include "picture/formats/OutputFile.h"
#include "picture/formats/Png.h"
#include "picture/formats/PngLibrary.h"
#include "picture/palette/PaletteReduction.h"

#include <cstdio>
#include <optional>
#include <string>

namespace vardolin::picture {
namespace {

// What goes into PLTE and tRNS; tRNS is written only when an entry is not
// fully opaque, so an opaque picture stays a plain palette file.
struct PngPalette {
    png_color colours[256];
    png_byte alphas[256];
    int count = 0;
    bool hasTransparency = false;
};

PngPalette toPngPalette(const std::vector<PaletteEntry>& entries)
{
    PngPalette out;
    out.count = int(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out.colours[i] = png_color{entries[i].red, entries[i].green, entries[i].blue};
        out.alphas[i] = entries[i].alpha;
        out.hasTransparency = out.hasTransparency || entries[i].alpha < 255;
    }
    return out;
}

// The writer and where it reports; destroyed on every path out.
struct PngWriter {
    PngComplaints complaints;
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngWriter() : png(createPngWriter(complaints)), info(png ? png_create_info_struct(png) : nullptr) {}
    ~PngWriter() { png_destroy_write_struct(&png, &info); }
};

// Drives libpng from start to finish, inside the guard: owners with
// destructors (the file, the palette reduction, any Result) live in the
// caller. reduction is null for full-colour output.
void writePng(png_structp png, png_infop info, std::FILE* file, const RowSource& rows, int outputDepth,
              PaletteReduction* reduction, const PngPalette* palette)
{
    png_init_io(png, file);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    const auto width = png_uint_32(rows.width), height = png_uint_32(rows.height);
    if (reduction != nullptr) {
        png_set_IHDR(png, info, width, height, outputDepth, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_set_PLTE(png, info, palette->colours, palette->count);
        if (palette->hasTransparency)
            png_set_tRNS(png, info, palette->alphas, palette->count, nullptr);
    } else {
        png_set_IHDR(png, info, width, height, 8, rows.depth == 32 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                     PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    }
    png_write_info(png, info);
    if (reduction != nullptr)
        png_set_packing(png); // one index byte per pixel in, packed to the bit depth by the library
    else
        png_set_bgr(png);
    for (std::int32_t y = 0; y < rows.height; ++y) {
        const std::int32_t memoryRow = rows.height - 1 - y;
        png_write_row(png, reduction != nullptr ? reduction->indexRow(memoryRow) : rows.memoryRow(memoryRow));
    }
    png_write_end(png, info);
}

} // namespace

bool pngWritesDepth(int outputDepth)
{
    return outputDepth == 1 || outputDepth == 2 || outputDepth == 4 || outputDepth == 8 || outputDepth == 24
           || outputDepth == 32;
}

Result<void> encodePng(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings)
{
    const int outputDepth = settings.outputDepth;
    if (!pngWritesDepth(outputDepth))
        return fail("PNG cannot be written at " + std::to_string(outputDepth) + " bits per pixel");
    std::optional<PaletteReduction> reduction;
    PngPalette palette;
    if (outputDepth <= 8) {
        reduction.emplace(rows, outputDepth);
        palette = toPngPalette(reduction->palette());
    }
    OutputFile target(file);
    if (!target.isOpen())
        return fail(target.whyNotOpen());
    PngWriter writer;
    if (writer.info == nullptr)
        return fail("PNG encoder: cannot start the PNG encoder");
    PaletteReduction* indices = reduction ? &*reduction : nullptr;
    if (!pngGuarded(writer.png,
                    [&] { writePng(writer.png, writer.info, target.handle(), rows, outputDepth, indices, &palette); }))
        return fail(std::string("PNG encoder: ") + writer.complaints.error);
    return target.finish();
}

} // namespace vardolin::picture
