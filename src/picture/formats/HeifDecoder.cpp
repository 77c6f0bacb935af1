// HEIC, HEIF and AVIF files through libheif, read from the file's buffer
// without a copy. Only the primary image is decoded, with the rotation,
// mirroring and cropping its container asks for, so the picture comes out
// upright; an opaque one is averaged down to the caller's size as its rows
// are taken over. libheif reports errors by value; RAII owners free its
// handles.

#include "picture/LibraryOwner.h"
#include "picture/Result.h"
#include "picture/formats/Heif.h"
#include "picture/formats/HeifLibrary.h"
#include "picture/formats/PixelStore.h"
#include "picture/formats/RgbRows.h"
#include "picture/metadata/ExifForCopy.h"
#include "picture/scale/AreaAverageScaler.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vardolin::picture {
namespace {

// The major and compatible brands of the file type box that name a HEIF or
// AVIF picture or picture sequence (of which the primary image is read).
constexpr char kBrands[][5] = {"heic", "heix", "hevc", "heim", "heis", "hevm", "hevs", "mif1", "msf1", "avif", "avis"};

bool isPictureBrand(const std::uint8_t* brand)
{
    return std::any_of(std::begin(kBrands), std::end(kBrands),
                       [brand](const char* known) { return std::memcmp(brand, known, 4) == 0; });
}

using OptionsOwner = LibraryOwner<heif_decoding_options, heif_decoding_options_free>;

Result<void> checked(const heif_error& error)
{
    return heifResult(error, "HEIF error: ");
}

Result<HeifHandleOwner> primaryImage(heif_context* context, ByteSpan bytes, const Limits& limits)
{
    // libheif refuses a longer side while it reads the boxes.
    heif_context_set_maximum_image_size_limit(context, limits.maxSide);
    VARDOLIN_TRY(checked(heif_context_read_from_memory_without_copy(context, bytes.data, bytes.size, nullptr)));
    heif_image_handle* handle = nullptr;
    VARDOLIN_TRY(checked(heif_context_get_primary_image_handle(context, &handle)));
    HeifHandleOwner owner(handle);
    // The coded size is decoded before any cropping, so a small crop of a
    // huge coded picture is held to the budget too. What the codecs inside
    // may allocate beyond the stated sizes is bounded by the decode process
    // this runs in, not by a second reading of the file.
    VARDOLIN_TRY(limits.check(heif_image_handle_get_ispe_width(handle), heif_image_handle_get_ispe_height(handle)));
    VARDOLIN_TRY(limits.check(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle)));
    return owner;
}

struct DecodedImage {
    HeifImageOwner image;
    const std::uint8_t* samples = nullptr;
    int stride = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    int channels = 3;
    int bits = 8; // significant bits per sample; more than 8 come in 16-bit words
};

// Interleaved red-green-blue(-alpha) at the file's own depth, turned and
// cropped as the container says (libheif's default, stated here because the
// copy's orientation rests on it).
Result<DecodedImage> decodeUpright(heif_image_handle* handle)
{
    DecodedImage decoded;
    decoded.channels = heif_image_handle_has_alpha_channel(handle) ? 4 : 3;
    const bool deep = heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    const heif_chroma chroma = decoded.channels == 4
                                   ? (deep ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RGBA)
                                   : (deep ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB);
    OptionsOwner options(heif_decoding_options_alloc());
    if (!options)
        return fail("out of memory");
    options->ignore_transformations = 0;
    options->convert_hdr_to_8bit = 0; // reduced here, with rounding
    heif_image* image = nullptr;
    VARDOLIN_TRY(checked(heif_decode_image(handle, &image, heif_colorspace_RGB, chroma, options.get())));
    decoded.image.reset(image);
    decoded.samples = heif_image_get_plane_readonly(image, heif_channel_interleaved, &decoded.stride);
    decoded.width = heif_image_get_width(image, heif_channel_interleaved);
    decoded.height = heif_image_get_height(image, heif_channel_interleaved);
    decoded.bits = deep ? heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) : 8;
    const std::int64_t rowBytes = std::int64_t(decoded.width) * decoded.channels * (deep ? 2 : 1);
    if (decoded.samples == nullptr || decoded.width <= 0 || decoded.height <= 0 || decoded.stride < rowBytes)
        return fail("HEIF image without pixels");
    return decoded;
}

// An ICC profile (prof or rICC) and the code points of an nclx box; a file
// may carry both.
ColourTag colourOf(heif_image_handle* handle, Notes& notes)
{
    ColourTag tag;
    if (const std::size_t size = heif_image_handle_get_raw_color_profile_size(handle); size > 0) {
        tag.iccProfile.resize(size);
        if (heif_image_handle_get_raw_color_profile(handle, tag.iccProfile.data()).code != heif_error_Ok) {
            tag.iccProfile.clear();
            notes.push_back({Note::Kind::ColourIgnored, "the HEIF colour profile cannot be read"});
        }
    }
    // libheif hands over the box it has read even when a code point in it is
    // one it does not know and it reports an error: owned either way.
    heif_color_profile_nclx* nclx = nullptr;
    const heif_error nclxRead = heif_image_handle_get_nclx_color_profile(handle, &nclx);
    const HeifNclxOwner owner(nclx);
    if (nclxRead.code == heif_error_Ok && nclx != nullptr) {
        tag.cicpPrimaries = std::uint16_t(nclx->color_primaries);
        tag.cicpTransfer = std::uint16_t(nclx->transfer_characteristics);
        tag.cicpMatrix = std::uint16_t(nclx->matrix_coefficients);
    }
    return tag;
}

// The primary image's first Exif item, when the options ask for it. The
// item starts with the distance from its fifth byte to the TIFF structure.
void takeExif(heif_image_handle* handle, const LoadOptions& options, Size upright, Decoded& decoded)
{
    heif_item_id id = 0;
    if (options.metadata == KeepMetadata::None
        || heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1)
        return;
    const auto dropped = [&](std::string why) { decoded.notes.push_back({Note::Kind::MetadataDropped, why}); };
    const std::size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size > kMaxSourceExifBytes + 4)
        return dropped("the Exif block is too large (" + std::to_string(size) + " bytes)");
    std::vector<std::uint8_t> item(size);
    if (heif_image_handle_get_metadata(handle, id, item.data()).code != heif_error_Ok)
        return dropped("the HEIF Exif item cannot be read");
    ByteCursor cursor({item.data(), item.size()}, ByteOrder::Big);
    const auto offset = cursor.u32();
    if (!offset || !cursor.skip(*offset) || cursor.atEnd())
        return dropped("the Exif block is damaged: the HEIF Exif item holds none");
    takeExifForCopy({item.data() + cursor.position(), cursor.remaining()}, options, upright, decoded);
}

// What the codec reported about damaged data while it still decoded the
// picture (only reported where the decoding options ask it to keep going).
// One at a time: libheif writes each message into one buffer of the image,
// so a message is copied before the next is asked for.
void noteDecodingWarnings(heif_image* image, Notes& notes)
{
    // libheif 1.15 fills every warning from the first asked for, whatever
    // room it is given, so the room is always that of all of them; and it
    // writes each message into one buffer of the image, so that only the
    // last one filled still has its text. That one is kept, and the others
    // counted.
    const int count = heif_image_get_decoding_warnings(image, 0, nullptr, 0);
    if (count <= 0)
        return;
    std::vector<heif_error> warnings(static_cast<std::size_t>(count));
    if (heif_image_get_decoding_warnings(image, count - 1, warnings.data(), count) < 1)
        return;
    notes.push_back(
        {Note::Kind::Damaged, std::string("HEIF: ") + (warnings.front().message ? warnings.front().message : "")});
    if (count > 1)
        notes.push_back({Note::Kind::Damaged, "HEIF: " + std::to_string(count - 1) + " more warnings"});
}

// One decoded row, top first, as blue-green-red(-alpha) bytes.
class RowConversion {
public:
    explicit RowConversion(const DecodedImage& decoded)
        : decoded_(decoded),
          premultiplied_(decoded.channels == 4 && heif_image_is_premultiplied_alpha(decoded.image.get()))
    {
        if (decoded.bits > 8)
            reduction_ = std::make_unique<DeepSampleReduction>(decoded.bits);
    }
    void convert(std::int32_t top, std::uint8_t* out) const
    {
        const std::uint8_t* in = decoded_.samples + std::size_t(top) * std::size_t(decoded_.stride);
        if (reduction_)
            reduction_->rowToStore(in, decoded_.width, decoded_.channels, out);
        else
            rgbRowToStore(in, decoded_.width, decoded_.channels, out);
        if (premultiplied_)
            unpremultiplyRow(out, decoded_.width);
    }

private:
    const DecodedImage& decoded_;
    const bool premultiplied_;
    std::unique_ptr<DeepSampleReduction> reduction_;
};

// The size the caller will scale an opaque picture to, when that shrinks it:
// its rows then go through the streaming area average (the very bytes
// scalePicture would make from the whole picture) instead of into a
// full-size store. A picture with alpha comes whole, for the resampler that
// 32-bit pictures get.
std::optional<Size> averagedSize(const DecodedImage& decoded, const LoadOptions& options)
{
    if (decoded.channels != 3 || !options.targetSizeFor)
        return std::nullopt;
    const Size target = options.targetSizeFor({decoded.width, decoded.height});
    if (!onlyShrinks(decoded.width, decoded.height, target.width, target.height)
        || target == Size{decoded.width, decoded.height})
        return std::nullopt;
    return target;
}

void fillStore(const DecodedImage& decoded, const LoadOptions& options, Picture& picture)
{
    const RowConversion rows(decoded);
    const auto target = averagedSize(decoded, options);
    if (!target) {
        allocateStore(picture, decoded.width, decoded.height, 8 * decoded.channels);
        for (std::int32_t y = 0; y < decoded.height; ++y)
            rows.convert(y, picture.row(picture.height - 1 - y));
        return;
    }
    allocateStore(picture, target->width, target->height, 24);
    StreamingAreaAverage average(decoded.width, decoded.height, target->width, target->height, StoredTurn{},
                                 PixelRect{picture.pixels.data(), picture.width, picture.height, picture.stride});
    std::vector<std::uint8_t> row(std::size_t(decoded.width) * 3);
    for (std::int32_t y = 0; y < decoded.height; ++y) {
        rows.convert(y, row.data());
        average.addRow(row.data());
    }
    average.finish();
}

} // namespace

bool probeHeif(ByteSpan bytes)
{
    // A file type box: size, "ftyp", the major brand, a minor version, then
    // compatible brands up to the box's end.
    ByteCursor cursor(bytes, ByteOrder::Big);
    const auto boxSize = cursor.u32();
    const auto type = cursor.bytes(4);
    if (!boxSize || !type || std::memcmp(type->data, "ftyp", 4) != 0)
        return false;
    const std::size_t end = std::min<std::size_t>(*boxSize, bytes.size);
    for (std::size_t at = 8; at + 4 <= end; at += 4) {
        if (at != 12 && isPictureBrand(bytes.data + at))
            return true;
    }
    return false;
}

void readyHeif()
{
    initialiseHeif();
}

Result<Decoded> decodeHeif(ByteSpan bytes, const LoadOptions& options)
{
    initialiseHeif();
    HeifContextOwner context(heif_context_alloc());
    if (!context)
        return fail("out of memory");
    VARDOLIN_TRY_ASSIGN(const HeifHandleOwner handle, primaryImage(context.get(), bytes, options.limits));
    if (options.beforeDecodingPixels)
        options.beforeDecodingPixels(std::uint64_t(heif_image_handle_get_ispe_width(handle.get()))
                                     * std::uint64_t(heif_image_handle_get_ispe_height(handle.get())));
    VARDOLIN_TRY_ASSIGN(const DecodedImage image, decodeUpright(handle.get()));
    VARDOLIN_TRY(options.limits.check(image.width, image.height));
    // libheif decodes a grid or overlay at its canvas's size, which a file
    // may set far beyond the size it states: the picture is then mostly a
    // canvas the file does not show. (A damaged one may come out smaller,
    // with what it still held.)
    const Size stated{heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get())};
    if (image.width > stated.width || image.height > stated.height)
        return fail("HEIF picture decoded at " + std::to_string(image.width) + " x " + std::to_string(image.height)
                    + ", beyond its stated size " + std::to_string(stated.width) + " x "
                    + std::to_string(stated.height));

    Decoded decoded;
    Picture& picture = decoded.picture;
    fillStore(image, options, picture);
    picture.sourceDepth = std::uint8_t(8 * image.channels);
    picture.fullSize = {image.width, image.height};
    picture.colour = colourOf(handle.get(), decoded.notes);
    noteDecodingWarnings(image.image.get(), decoded.notes);
    takeExif(handle.get(), options, picture.fullSize, decoded);
    return decoded;
}

} // namespace vardolin::picture
