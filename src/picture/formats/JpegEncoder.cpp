#include "picture/formats/Jpeg.h"
#include "picture/formats/JpegLibrary.h"
#include "picture/formats/OutputFile.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace vardolin::picture {
namespace {

void swapToRgb(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* rgb)
{
    for (std::int32_t x = 0; x < width; ++x, bgr += 3, rgb += 3) {
        rgb[0] = bgr[2];
        rgb[1] = bgr[1];
        rgb[2] = bgr[0];
    }
}

// The compressor and where it reports; destroyed on every path out.
struct JpegWriter {
    jpeg_compress_struct info{};
    JpegComplaints complaints;
    JpegWriter() { info.err = reportTo(complaints); }
    ~JpegWriter() { jpeg_destroy_compress(&info); }
};

// The Exif block in an APP1 segment behind its "Exif\0\0" header. The
// library places it after the JFIF marker, where every reader looks.
void writeExif(jpeg_compress_struct& info, ByteSpan exif)
{
    static constexpr std::uint8_t header[6] = {'E', 'x', 'i', 'f', 0, 0};
    jpeg_write_m_header(&info, JPEG_APP0 + 1, unsigned(sizeof header + exif.size));
    for (const std::uint8_t byte : header)
        jpeg_write_m_byte(&info, byte);
    for (std::size_t i = 0; i < exif.size; ++i)
        jpeg_write_m_byte(&info, exif.data[i]);
}

// Drives the compressor from start to finish, inside the guard: everything
// that has a destructor (the file, the row buffer, any Result) lives in the
// caller. rowBuffer is only used (width × 3 bytes) for swapped rows.
void compress(jpeg_compress_struct& info, std::FILE* file, const RowSource& rows, const EncodeSettings& settings,
              JpegInput input, std::uint8_t* rowBuffer)
{
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(rows.width);
    info.image_height = JDIMENSION(rows.height);
    info.input_components = 3;
    info.in_color_space = input == JpegInput::StoredOrder ? JCS_EXT_BGR : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, settings.quality, FALSE);
    if (settings.optimizeJpeg) {
        // Both only re-code the same quantised coefficients: the pixels stay.
        info.optimize_coding = TRUE;
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    if (settings.exif.size > 0)
        writeExif(info, settings.exif);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* stored = rows.topRow(std::int32_t(info.next_scanline));
        JSAMPROW row = const_cast<JSAMPROW>(stored); // read only: the library never writes its input
        if (input == JpegInput::SwappedRows) {
            swapToRgb(stored, rows.width, rowBuffer);
            row = rowBuffer;
        }
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
}

} // namespace

int jpegQualityForGrade(int grade)
{
    return std::clamp(grade, 0, 10) * 10;
}

bool jpegWritesDepth(int)
{
    return true;
}

Result<void> encodeJpegWith(JpegInput input, const RowSource& rows, const std::filesystem::path& file,
                            const EncodeSettings& settings)
{
    if (rows.depth != 24)
        return fail("JPEG takes 24-bit rows only");
    if (settings.exif.size > Metadata::kMaxExifBytes)
        return fail("the Exif block is larger than a JPEG segment holds");
    std::vector<std::uint8_t> rowBuffer;
    if (input == JpegInput::SwappedRows)
        rowBuffer.resize(std::size_t(rows.width) * 3 + 4);
    OutputFile target(file);
    if (!target.isOpen())
        return fail(target.whyNotOpen());
    JpegWriter writer;
    if (!jpegGuarded(writer.complaints,
                     [&] { compress(writer.info, target.handle(), rows, settings, input, rowBuffer.data()); }))
        return fail(std::string("JPEG encoder: ") + writer.complaints.error);
    return target.finish();
}

Result<void> encodeJpeg(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings)
{
    return encodeJpegWith(JpegInput::StoredOrder, rows, file, settings);
}

} // namespace vardolin::picture
