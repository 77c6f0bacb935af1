#include "picture/formats/JpegEncoder.h"

#include "picture/formats/OutputFile.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace vardolin::picture {
namespace {

// libjpeg's error manager, made to keep quiet and jump back instead of exiting.
struct JpegErrors {
    jpeg_error_mgr library;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jumpBack(j_common_ptr info)
{
    auto* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void ignoreMessage(j_common_ptr, int) {}
void printNothing(j_common_ptr) {}

void swapToRgb(const std::uint8_t* bgr, std::int32_t width, std::uint8_t* rgb)
{
    for (std::int32_t x = 0; x < width; ++x, bgr += 3, rgb += 3) {
        rgb[0] = bgr[2];
        rgb[1] = bgr[1];
        rgb[2] = bgr[0];
    }
}

// Drives the compressor from start to finish. Everything that has a
// destructor (the file, the row buffer, any Result) lives in the caller: a
// longjmp may leave this function at any library call. rowBuffer is only used (width × 3 bytes) for swapped rows.
bool compress(std::FILE* file, const RowSource& rows, int quality, JpegInput input, std::uint8_t* rowBuffer,
              char* message)
{
    jpeg_compress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.library);
    errors.library.error_exit = jumpBack;
    errors.library.emit_message = ignoreMessage;
    errors.library.output_message = printNothing;
    errors.message[0] = '\0';
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        std::memcpy(message, errors.message, sizeof errors.message);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(rows.width);
    info.image_height = JDIMENSION(rows.height);
    info.input_components = 3;
    info.in_color_space = input == JpegInput::StoredOrder ? JCS_EXT_BGR : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, FALSE);
    jpeg_start_compress(&info, TRUE);
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
    jpeg_destroy_compress(&info);
    return true;
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

Result<void> encodeJpegWith(JpegInput input, const RowSource& rows, const std::filesystem::path& file, int qualityGrade)
{
    if (rows.depth != 24)
        return fail("JPEG takes 24-bit rows only");
    std::vector<std::uint8_t> rowBuffer;
    if (input == JpegInput::SwappedRows)
        rowBuffer.resize(std::size_t(rows.width) * 3 + 4);
    OutputFile target(file);
    if (!target.isOpen())
        return fail("cannot create the file");
    char message[JMSG_LENGTH_MAX] = {};
    if (!compress(target.handle(), rows, jpegQualityForGrade(qualityGrade), input, rowBuffer.data(), message))
        return fail(std::string("JPEG encoder: ") + message);
    return target.finish();
}

Result<void> encodeJpeg(const RowSource& rows, const std::filesystem::path& file, int qualityGrade, int)
{
    return encodeJpegWith(JpegInput::StoredOrder, rows, file, qualityGrade);
}

} // namespace vardolin::picture
