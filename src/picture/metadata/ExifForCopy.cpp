// The Exif block is read and written by libexif, which keeps every entry it
// is not told to change and lays the structure out anew, so no offset inside
// the block can point at something that was removed. libexif logs what it
// finds wrong instead of failing; a log function collects it.

#include "picture/metadata/ExifForCopy.h"

#include "picture/LibraryOwner.h"

#include <libexif/exif-data.h>
#include <libexif/exif-log.h>
#include <libexif/exif-mem.h>
#include <libexif/exif-utils.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

namespace vardolin::picture {
namespace {

using MemOwner = LibraryOwner<ExifMem, exif_mem_unref>;
using DataOwner = LibraryOwner<ExifData, exif_data_unref>;
using LogOwner = LibraryOwner<ExifLog, exif_log_unref>;

constexpr std::uint8_t kExifHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

struct LoadComplaint {
    bool damaged = false;
    bool outOfMemory = false;
    char text[160] = {};
};

extern "C" void collectExifComplaint(ExifLog*, ExifLogCode code, const char* domain, const char* format, va_list args,
                                     void* data)
{
    auto& complaint = *static_cast<LoadComplaint*>(data);
    // The maker notes' own readers complain too; the maker note is not
    // carried, so only the structure's complaints count.
    const bool structure = domain != nullptr && std::strcmp(domain, "ExifData") == 0;
    if (code == EXIF_LOG_CODE_NO_MEMORY)
        complaint.outOfMemory = true;
    else if (code != EXIF_LOG_CODE_CORRUPT_DATA || !structure)
        return;
    if (!complaint.damaged && !complaint.outOfMemory)
        std::vsnprintf(complaint.text, sizeof complaint.text, format, args);
    complaint.damaged = complaint.damaged || code == EXIF_LOG_CODE_CORRUPT_DATA;
}

// Tags that point at data outside the block, or hold a picture, a profile or
// another block of metadata: the copy has none of those.
constexpr ExifTag kNeverCarried[] = {
    EXIF_TAG_STRIP_OFFSETS,
    EXIF_TAG_STRIP_BYTE_COUNTS,
    ExifTag(0x0144), // TileOffsets
    ExifTag(0x0145), // TileByteCounts
    ExifTag(0x014A), // SubIFDs
    EXIF_TAG_INTER_COLOR_PROFILE,
    EXIF_TAG_MAKER_NOTE,
};
// Blocks of other metadata inside the Exif that may name a place.
constexpr ExifTag kMayHoldLocation[] = {
    EXIF_TAG_XML_PACKET, // XMP
    ExifTag(0x83BB),     // IPTC-NAA
    ExifTag(0x8649),     // Photoshop image resources
};

void removeAll(ExifContent* content)
{
    while (content->count > 0)
        exif_content_remove_entry(content, content->entries[content->count - 1]);
}

void removeTag(ExifData* data, ExifTag tag)
{
    for (ExifContent* content : data->ifd)
        if (ExifEntry* entry = exif_content_get_entry(content, tag))
            exif_content_remove_entry(content, entry);
}

// Sets an entry that is there to one number. A size may become a LONG where
// a SHORT cannot hold it; any other entry that is no SHORT is removed rather
// than written in a type its readers do not expect.
void setNumber(ExifMem* mem, ExifByteOrder order, ExifContent* content, ExifTag tag, std::uint32_t value,
               bool longAllowed)
{
    ExifEntry* entry = exif_content_get_entry(content, tag);
    if (entry == nullptr)
        return;
    if (entry->format == EXIF_FORMAT_SHORT && value <= 0xFFFF && entry->size >= 2) {
        entry->components = 1;
        exif_set_short(entry->data, order, ExifShort(value));
        return;
    }
    if (!longAllowed) {
        exif_content_remove_entry(content, entry);
        return;
    }
    if (entry->format != EXIF_FORMAT_LONG || entry->size < 4) {
        auto* bytes = static_cast<unsigned char*>(exif_mem_alloc(mem, 4));
        if (bytes == nullptr) {
            exif_content_remove_entry(content, entry);
            return;
        }
        exif_mem_free(mem, entry->data);
        entry->data = bytes;
        entry->size = 4;
        entry->format = EXIF_FORMAT_LONG;
    }
    entry->components = 1;
    exif_set_long(entry->data, order, value);
}

bool holdsEntries(const ExifData* data)
{
    return std::any_of(std::begin(data->ifd), std::end(data->ifd),
                       [](const ExifContent* content) { return content->count > 0; });
}

void cleanForCopy(ExifMem* mem, ExifData* data, const ExifCleaning& how)
{
    const ExifByteOrder order = exif_data_get_byte_order(data);
    // The thumbnail and its directory.
    exif_mem_free(mem, data->data);
    data->data = nullptr;
    data->size = 0;
    removeAll(data->ifd[EXIF_IFD_1]);
    // Its index names the colour space of a source that may not have been
    // sRGB; the copy's pixels are.
    removeAll(data->ifd[EXIF_IFD_INTEROPERABILITY]);
    if (!how.keepLocation) {
        removeAll(data->ifd[EXIF_IFD_GPS]);
        for (const ExifTag tag : kMayHoldLocation)
            removeTag(data, tag);
    }
    for (const ExifTag tag : kNeverCarried)
        removeTag(data, tag);

    setNumber(mem, order, data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION, 1, false);
    setNumber(mem, order, data->ifd[EXIF_IFD_EXIF], EXIF_TAG_COLOR_SPACE, 1, false);
    const auto width = std::uint32_t(std::max(how.copySize.width, 0));
    const auto height = std::uint32_t(std::max(how.copySize.height, 0));
    setNumber(mem, order, data->ifd[EXIF_IFD_0], EXIF_TAG_IMAGE_WIDTH, width, true);
    setNumber(mem, order, data->ifd[EXIF_IFD_0], EXIF_TAG_IMAGE_LENGTH, height, true);
    setNumber(mem, order, data->ifd[EXIF_IFD_EXIF], EXIF_TAG_PIXEL_X_DIMENSION, width, true);
    setNumber(mem, order, data->ifd[EXIF_IFD_EXIF], EXIF_TAG_PIXEL_Y_DIMENSION, height, true);
}

// The block with the header libexif looks for in front.
std::vector<std::uint8_t> withHeader(ByteSpan block)
{
    std::vector<std::uint8_t> bytes;
    const bool hasHeader = block.startsWith(kExifHeader, sizeof kExifHeader);
    bytes.reserve(block.size + (hasHeader ? 0 : sizeof kExifHeader));
    if (!hasHeader)
        bytes.assign(std::begin(kExifHeader), std::end(kExifHeader));
    bytes.insert(bytes.end(), block.data, block.data + block.size);
    return bytes;
}

// What exif_data_save_data allocated, given back to its allocator.
struct SavedBlock {
    ExifMem* mem = nullptr;
    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    ~SavedBlock() { exif_mem_free(mem, bytes); }
};

Result<std::vector<std::uint8_t>> saved(ExifMem* mem, ExifData* data)
{
    SavedBlock block{mem};
    exif_data_save_data(data, &block.bytes, &block.size);
    if (block.bytes == nullptr || block.size < sizeof kExifHeader)
        return fail("the Exif block cannot be written anew");
    const std::size_t tiff = block.size - sizeof kExifHeader;
    if (tiff > Metadata::kMaxExifBytes)
        return fail("the Exif block is too large for a copy (" + std::to_string(tiff) + " bytes)");
    return std::vector<std::uint8_t>(block.bytes + sizeof kExifHeader, block.bytes + block.size);
}

} // namespace

Result<std::vector<std::uint8_t>> cleanExif(ByteSpan block, const ExifCleaning& how)
{
    if (block.size > kMaxSourceExifBytes)
        return fail("the Exif block is too large (" + std::to_string(block.size) + " bytes)");
    const std::vector<std::uint8_t> bytes = withHeader(block);
    const MemOwner mem(exif_mem_new_default());
    const DataOwner data(mem ? exif_data_new_mem(mem.get()) : nullptr);
    const LogOwner log(mem ? exif_log_new_mem(mem.get()) : nullptr);
    if (!data || !log)
        return fail("out of memory");
    LoadComplaint complaint;
    exif_log_set_func(log.get(), collectExifComplaint, &complaint);
    exif_data_log(data.get(), log.get());
    // Entries as they are: no tag made up, none of an unknown number dropped.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_set_option(data.get(), EXIF_DATA_OPTION_DONT_CHANGE_MAKER_NOTE);
    exif_data_load_data(data.get(), bytes.data(), unsigned(bytes.size()));
    if (complaint.outOfMemory)
        return fail("out of memory");
    if (complaint.damaged)
        return fail(std::string("the Exif block is damaged: ") + complaint.text);
    if (!holdsEntries(data.get()))
        return fail("the Exif block is damaged: nothing in it can be read");
    cleanForCopy(mem.get(), data.get(), how);
    if (!holdsEntries(data.get()))
        return std::vector<std::uint8_t>{}; // a thumbnail or a position, and neither goes
    return saved(mem.get(), data.get());
}

void takeExifForCopy(ByteSpan block, const LoadOptions& options, Size uprightFull, Decoded& decoded)
{
    if (options.metadata == KeepMetadata::None || block.size == 0)
        return;
    ExifCleaning how;
    how.keepLocation = options.metadata == KeepMetadata::WithLocation;
    how.copySize = options.targetSizeFor ? options.targetSizeFor(uprightFull) : uprightFull;
    auto cleaned = cleanExif(block, how);
    if (!cleaned) {
        decoded.notes.push_back({Note::Kind::MetadataDropped, cleaned.error()});
        return;
    }
    decoded.metadata.exif = std::move(cleaned.value());
}

} // namespace vardolin::picture
