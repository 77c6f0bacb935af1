// Loading a picture file: one read into one buffer, the icon probe, then the
// decoder table in its fixed order.

#include "picture/formats/Decoders.h"
#include "picture/formats/IconDirectory.h"

#include <fstream>
#include <memory>
#include <new>
#include <system_error>

namespace vardolin::picture {
namespace {

// An icon carries no pixel store: its sizes and bit count only.
Result<Picture> iconPicture(const IconImage& image, const LoadOptions& options)
{
    VARDOLIN_TRY(options.limits.check(image.width, image.height));
    Picture picture;
    picture.format = Format::Icon;
    picture.width = image.width;
    picture.height = image.height;
    picture.depth = std::uint8_t(image.bitCount);
    picture.sourceDepth = std::uint8_t(image.bitCount);
    picture.fullSize = {image.width, image.height};
    return picture;
}

Result<Picture> decodeWithTable(ByteSpan bytes, const LoadOptions& options)
{
    for (const DecoderEntry& entry : decoderTable()) {
        if (!entry.probe(bytes))
            continue;
        VARDOLIN_TRY_ASSIGN(Picture picture, entry.decode(bytes, options));
        picture.format = entry.format;
        if (picture.fullSize.width == 0)
            picture.fullSize = {picture.width, picture.height};
        return picture;
    }
    return fail("not a picture file this program can read");
}

} // namespace

Result<Picture> decodePicture(const std::uint8_t* data, std::size_t size, const LoadOptions& options)
{
    const ByteSpan bytes{data, data ? size : 0};
    try {
        // An icon the loader cannot use is read by the decoders as if it were none.
        if (const auto image = chooseIconImage(bytes))
            return iconPicture(*image, options);
        return decodeWithTable(bytes, options);
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
}

Result<Picture> loadPicture(const std::filesystem::path& file, const LoadOptions& options)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return fail("cannot read file: " + error.message());
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return fail("cannot open file");
    std::unique_ptr<std::uint8_t[]> buffer;
    try {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(size));
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
    in.read(reinterpret_cast<char*>(buffer.get()), std::streamsize(size));
    if (std::uintmax_t(in.gcount()) != size)
        return fail("short read: file is shorter than its size");
    return decodePicture(buffer.get(), std::size_t(size), options);
}

} // namespace vardolin::picture
