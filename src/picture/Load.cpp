// Loading a picture file: one read into one buffer, the icon probe, then the
// decoder table in its fixed order.

#include "picture/Decoders.h"
#include "picture/IconDirectory.h"
#include "picture/PixelStore.h"

#include <fstream>
#include <memory>
#include <new>
#include <system_error>

namespace vardolin::picture {
namespace {

bool loadIcon(ByteSpan bytes, const LoadOptions& options, LoadResult& result)
{
    const auto image = chooseIconImage(bytes);
    if (!image)
        return false;
    if (std::string why = budgetError(image->width, image->height, options); !why.empty())
        return failLoad(result, std::move(why));
    Picture& picture = result.picture;
    picture.format = Format::Icon;
    picture.isIcon = true;
    picture.width = image->width;
    picture.height = image->height;
    picture.depth = std::uint8_t(image->bitCount);
    picture.sourceDepth = std::uint8_t(image->bitCount);
    picture.fullSize = {image->width, image->height};
    result.ok = true;
    return true;
}

void decodeWithTable(ByteSpan bytes, const LoadOptions& options, LoadResult& result)
{
    for (const DecoderEntry& entry : decoderTable()) {
        if (!entry.probe(bytes))
            continue;
        result.picture.format = entry.format;
        if (entry.decode(bytes, options, result)) {
            Picture& picture = result.picture;
            picture.frameCount = 1;
            if (picture.fullSize.width == 0)
                picture.fullSize = {picture.width, picture.height};
        }
        return;
    }
    failLoad(result, "not a picture file this program can read");
}

} // namespace

LoadResult decodePicture(const std::uint8_t* data, std::size_t size, const LoadOptions& options)
{
    LoadResult result;
    const ByteSpan bytes{data, data ? size : 0};
    try {
        if (loadIcon(bytes, options, result) || !result.error.empty())
            return result;
        decodeWithTable(bytes, options, result);
    } catch (const std::bad_alloc&) {
        result = LoadResult{};
        result.error = "out of memory";
    }
    if (!result.ok)
        result.picture = Picture{};
    return result;
}

LoadResult loadPicture(const std::filesystem::path& file, const LoadOptions& options)
{
    LoadResult result;
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        result.error = "cannot read file: " + error.message();
        return result;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        result.error = "cannot open file";
        return result;
    }
    std::unique_ptr<std::uint8_t[]> buffer;
    try {
        buffer = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(size));
    } catch (const std::bad_alloc&) {
        result.error = "out of memory";
        return result;
    }
    in.read(reinterpret_cast<char*>(buffer.get()), std::streamsize(size));
    if (std::uintmax_t(in.gcount()) != size) {
        result.error = "short read: file is shorter than its size";
        return result;
    }
    return decodePicture(buffer.get(), std::size_t(size), options);
}

} // namespace vardolin::picture
