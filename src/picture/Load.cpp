// Loading a picture file: one read into one buffer, then the first row of the
// format table whose probe accepts the bytes.

#include "picture/Formats.h"
#include "picture/formats/Heif.h"

#include <fstream>
#include <memory>
#include <system_error>

namespace vardolin::picture {
namespace {

Result<Decoded> decodeWithTable(ByteSpan bytes, const LoadOptions& options)
{
    for (const FormatRow& row : formatTable()) {
        if (!row.probe || !row.probe(bytes))
            continue;
        VARDOLIN_TRY_ASSIGN(Decoded decoded, row.decode(bytes, options));
        Picture& picture = decoded.picture;
        picture.format = row.format;
        if (picture.fullSize.width == 0)
            picture.fullSize = {picture.width, picture.height};
        return decoded;
    }
    return fail("not a picture file this program can read");
}

Result<Decoded> readAndDecode(const std::filesystem::path& file, const LoadOptions& options)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        return fail("cannot read file: " + error.message());
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return fail("cannot open file");
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t(size));
    in.read(reinterpret_cast<char*>(buffer.get()), std::streamsize(size));
    if (std::uintmax_t(in.gcount()) != size)
        return fail("short read: file is shorter than its size");
    return decodeWithTable({buffer.get(), std::size_t(size)}, options);
}

} // namespace

Result<Decoded> decodePicture(const std::uint8_t* data, std::size_t size, const LoadOptions& options)
{
    return failOnOutOfMemory([&] { return decodeWithTable({data, data ? size : 0}, options); });
}

void readyCodecLibraries()
{
    readyHeif();
}

Result<Decoded> loadPicture(const std::filesystem::path& file, const LoadOptions& options)
{
    return failOnOutOfMemory([&] { return readAndDecode(file, options); });
}

} // namespace vardolin::picture
