// AVIF copies through libheif: the rows go into an RGB(A) image, which
// libheif turns into 4:2:0 YCbCr for its AV1 encoder, tagged as sRGB. libheif
// reports errors by value; RAII owners free its handles.

#include "picture/LibraryOwner.h"
#include "picture/formats/Avif.h"
#include "picture/formats/HeifLibrary.h"
#include "picture/formats/OutputFile.h"

#include <libheif/heif.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace vardolin::picture {
namespace {

using EncoderOwner = LibraryOwner<heif_encoder, heif_encoder_release>;
using OptionsOwner = LibraryOwner<heif_encoding_options, heif_encoding_options_free>;

Result<void> checked(const heif_error& error)
{
    return heifResult(error, "AVIF encoder: ");
}

// One worker encodes one copy: the run already keeps every core busy.
Result<EncoderOwner> encoderFor(heif_context* context, int quality)
{
    heif_encoder* encoder = nullptr;
    VARDOLIN_TRY(checked(heif_context_get_encoder_for_format(context, heif_compression_AV1, &encoder)));
    EncoderOwner owner(encoder);
    VARDOLIN_TRY(checked(heif_encoder_set_lossy_quality(encoder, std::clamp(quality, 0, 100))));
    VARDOLIN_TRY(checked(heif_encoder_set_parameter_integer(encoder, "speed", kAvifSpeed)));
    VARDOLIN_TRY(checked(heif_encoder_set_parameter_integer(encoder, "threads", 1)));
    VARDOLIN_TRY(checked(heif_encoder_set_parameter_string(encoder, "chroma", "420")));
    return owner;
}

// The rows top first, red-green-blue(-alpha), as libheif takes them.
Result<HeifImageOwner> imageOf(const RowSource& rows)
{
    const bool alpha = rows.depth == 32;
    heif_image* image = nullptr;
    VARDOLIN_TRY(
        checked(heif_image_create(rows.width, rows.height, heif_colorspace_RGB,
                                  alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, &image)));
    HeifImageOwner owner(image);
    VARDOLIN_TRY(checked(heif_image_add_plane(image, heif_channel_interleaved, rows.width, rows.height, 8)));
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    if (plane == nullptr)
        return fail("AVIF encoder: out of memory");
    const int bytes = rows.bytesPerPixel();
    for (std::int32_t y = 0; y < rows.height; ++y) {
        const std::uint8_t* in = rows.topRow(y);
        std::uint8_t* out = plane + std::size_t(y) * std::size_t(stride);
        for (std::int32_t x = 0; x < rows.width; ++x, in += bytes, out += bytes) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            if (alpha)
                out[3] = in[3];
        }
    }
    return owner;
}

// sRGB primaries and curve, full range, the BT.601 matrix: what the pixels
// are, said the way every AVIF reader understands.
HeifNclxOwner srgb()
{
    HeifNclxOwner nclx(heif_nclx_color_profile_alloc());
    if (nclx) {
        nclx->color_primaries = heif_color_primaries_ITU_R_BT_709_5;
        nclx->transfer_characteristics = heif_transfer_characteristic_IEC_61966_2_1;
        nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
        nclx->full_range_flag = 1;
    }
    return nclx;
}

extern "C" heif_error writeAvifToFile(heif_context*, const void* data, size_t size, void* file)
{
    if (std::fwrite(data, 1, size, static_cast<std::FILE*>(file)) != size)
        return {heif_error_Encoding_error, heif_suberror_Cannot_write_output_data, "writing the file failed"};
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

Result<void> encodeInto(heif_context* context, const RowSource& rows, const EncodeSettings& settings)
{
    VARDOLIN_TRY_ASSIGN(const EncoderOwner encoder, encoderFor(context, settings.quality));
    VARDOLIN_TRY_ASSIGN(const HeifImageOwner image, imageOf(rows));
    const OptionsOwner options(heif_encoding_options_alloc());
    const HeifNclxOwner nclx = srgb();
    if (!options || !nclx)
        return fail("AVIF encoder: out of memory");
    options->save_alpha_channel = rows.depth == 32;
    options->output_nclx_profile = nclx.get();
    heif_image_handle* handle = nullptr;
    VARDOLIN_TRY(checked(heif_context_encode_image(context, image.get(), encoder.get(), options.get(), &handle)));
    const HeifHandleOwner owner(handle);
    if (settings.exif.size > 0)
        VARDOLIN_TRY(
            checked(heif_context_add_exif_metadata(context, handle, settings.exif.data, int(settings.exif.size))));
    return {};
}

} // namespace

int avifQualityForGrade(int grade)
{
    // Grades 0 to 10, measured over the bench photos at short side 1200.
    static constexpr std::array<int, 11> kQuality{0, 13, 30, 39, 44, 49, 52, 56, 64, 81, 100};
    return kQuality[std::size_t(std::clamp(grade, 0, 10))];
}

bool avifWritesDepth(int outputDepth)
{
    return outputDepth == 24 || outputDepth == 32;
}

bool avifEncoderPresent()
{
    initialiseHeif();
    return heif_have_encoder_for_format(heif_compression_AV1) != 0;
}

Result<void> encodeAvif(const RowSource& rows, const std::filesystem::path& file, const EncodeSettings& settings)
{
    if (!avifWritesDepth(settings.outputDepth) || (rows.depth != 24 && rows.depth != 32))
        return fail("AVIF cannot be written at " + std::to_string(settings.outputDepth) + " bits per pixel");
    if (!avifEncoderPresent())
        return fail("AVIF cannot be written: this libheif has no AV1 encoder");
    const HeifContextOwner context(heif_context_alloc());
    if (!context)
        return fail("AVIF encoder: out of memory");
    VARDOLIN_TRY(encodeInto(context.get(), rows, settings));
    OutputFile target(file);
    if (!target.isOpen())
        return fail(target.whyNotOpen());
    heif_writer writer{1, writeAvifToFile};
    VARDOLIN_TRY(checked(heif_context_write(context.get(), &writer, target.handle())));
    return target.finish();
}

} // namespace vardolin::picture
