#include "picture/formats/HeifCodedSizes.h"

#include "picture/Picture.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace vardolin::picture {
namespace {

constexpr std::uint32_t fourcc(const char (&name)[5])
{
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16
           | std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint32_t(std::uint8_t(name[3]));
}

struct Box {
    std::uint32_t type = 0;
    ByteSpan body; // after the header
};

// The boxes in span, up to the first one that does not fit.
std::vector<Box> boxesIn(ByteSpan span)
{
    std::vector<Box> boxes;
    ByteCursor cursor(span, ByteOrder::Big);
    while (cursor.remaining() >= 8) {
        const std::size_t start = cursor.position();
        std::uint64_t size = *cursor.u32();
        const std::uint32_t type = *cursor.u32();
        if (size == 1) {
            const auto high = cursor.u32(), low = cursor.u32();
            if (!high || !low)
                break;
            size = std::uint64_t(*high) << 32 | *low;
        } else if (size == 0) {
            size = span.size - start;
        }
        const std::size_t header = cursor.position() - start;
        if (size < header || !span.has(start, size))
            break;
        boxes.push_back({type, span.sub(cursor.position(), std::size_t(size) - header)});
        cursor.seek(start + std::size_t(size));
    }
    return boxes;
}

std::optional<ByteSpan> childOf(ByteSpan span, std::uint32_t type)
{
    for (const Box& box : boxesIn(span)) {
        if (box.type == type)
            return box.body;
    }
    return std::nullopt;
}

// A full box's version; the cursor then stands after its flags.
std::optional<std::uint8_t> fullBoxVersion(ByteCursor& cursor)
{
    const auto version = cursor.u8();
    cursor.skip(3);
    return cursor.ok() ? version : std::nullopt;
}

// An unsigned value of 4 or 8 bytes, as iloc sizes them; libheif reads no
// bytes for any other size and takes 0, and so does this.
std::optional<std::uint64_t> sized(ByteCursor& cursor, unsigned bytes)
{
    switch (bytes) {
    case 4: return cursor.u32();
    case 8: {
        const auto high = cursor.u32(), low = cursor.u32();
        if (!high || !low)
            return std::nullopt;
        return std::uint64_t(*high) << 32 | *low;
    }
    default: return 0;
    }
}

struct Item {
    std::uint32_t type = 0;
    bool located = false;
    unsigned constructionMethod = 0;      // 0 in the file, 1 in idat
    std::uint64_t offset = 0, length = 0; // of the first extent, base offset included
};
using Items = std::map<std::uint32_t, Item>;

void readItemTypes(ByteSpan iinf, Items& items)
{
    ByteCursor cursor(iinf, ByteOrder::Big);
    const auto version = fullBoxVersion(cursor);
    if (!version || !(*version == 0 ? cursor.skip(2) : cursor.skip(4)))
        return;
    // As in libheif, the first entry of an item is the one that counts, and
    // an entry before version 2 names no type.
    std::set<std::uint32_t> named;
    for (const Box& infe : boxesIn(iinf.sub(cursor.position(), cursor.remaining()))) {
        ByteCursor entry(infe.body, ByteOrder::Big);
        const auto entryVersion = fullBoxVersion(entry);
        if (infe.type != fourcc("infe") || !entryVersion)
            continue;
        const auto id = *entryVersion <= 2 ? std::optional<std::uint32_t>(entry.u16()) : entry.u32();
        if (!id || !named.insert(*id).second || *entryVersion < 2)
            continue;
        entry.skip(2); // protection index
        if (const auto type = entry.u32())
            items[*id].type = *type;
    }
}

// Fails when the table has extent indexes in its version 1: libheif 1.15
// reads those only from version 2 on, so it would find other offsets than
// the ones read here. A table this reader cannot make sense of is left to
// libheif.
Result<void> readItemLocations(ByteSpan iloc, Items& items)
{
    ByteCursor cursor(iloc, ByteOrder::Big);
    const auto version = fullBoxVersion(cursor);
    const auto sizes = cursor.u16();
    if (!version || !sizes || *version > 2)
        return {};
    const unsigned offsetSize = *sizes >> 12, lengthSize = (*sizes >> 8) & 15, baseSize = (*sizes >> 4) & 15;
    const unsigned indexSize = *version > 0 ? *sizes & 15 : 0;
    if (*version == 1 && indexSize != 0)
        return fail("HEIF item locations with extent indexes in a version 1 table");
    const auto count = *version < 2 ? std::optional<std::uint32_t>(cursor.u16()) : cursor.u32();
    for (std::uint32_t i = 0; count && i < *count && cursor.ok(); ++i) {
        const auto id = *version < 2 ? std::optional<std::uint32_t>(cursor.u16()) : cursor.u32();
        const auto method = *version > 0 ? cursor.u16() : std::optional<std::uint16_t>(0);
        cursor.skip(2); // data reference index
        const auto base = sized(cursor, baseSize);
        const auto extents = cursor.u16();
        if (!id || !method || !base || !extents)
            return {};
        for (std::uint16_t e = 0; e < *extents; ++e) {
            if (!sized(cursor, indexSize))
                return {};
            const auto offset = sized(cursor, offsetSize), length = sized(cursor, lengthSize);
            if (!offset || !length)
                return {};
            if (e > 0)
                continue;
            Item& item = items[*id];
            item.located = true;
            item.constructionMethod = *method & 15;
            item.offset = *base + *offset;
            item.length = *length;
        }
    }
    return {};
}

// The item table of a meta box, and where the items kept in its idat box are
// read from. libheif reads those from the idat's first data byte on and holds
// an extent only to the box's whole size, header included, so an extent may
// reach a few bytes past the box into what follows: the sizes here are read
// from the very bytes libheif reads.
struct ItemTable {
    Items items;
    ByteSpan idat;
};

Result<ItemTable> readItemTable(ByteSpan file, ByteSpan meta)
{
    ItemTable table;
    if (const auto iinf = childOf(meta, fourcc("iinf")))
        readItemTypes(*iinf, table.items);
    if (const auto iloc = childOf(meta, fourcc("iloc")))
        VARDOLIN_TRY(readItemLocations(*iloc, table.items));
    if (const auto idat = childOf(meta, fourcc("idat"))) {
        const std::size_t start = std::size_t(idat->data - file.data);
        table.idat = file.sub(start, file.size - start);
    }
    return table;
}

std::optional<ByteSpan> metaBody(ByteSpan file)
{
    const auto meta = childOf(file, fourcc("meta"));
    if (!meta || meta->size < 4)
        return std::nullopt;
    return meta->sub(4, meta->size - 4); // after the full box's version and flags
}

bool isCanvas(const Item& item)
{
    return item.type == fourcc("grid") || item.type == fourcc("iovl");
}

// The first extent of an item's data, at most limit bytes of it.
std::optional<ByteSpan> itemData(const Item& item, ByteSpan file, ByteSpan idat, std::size_t limit)
{
    const ByteSpan source = item.constructionMethod == 0 ? file : idat;
    if (!item.located || item.constructionMethod > 1 || item.offset > source.size)
        return std::nullopt;
    const std::size_t available = source.size - std::size_t(item.offset);
    std::size_t length = item.length == 0 || item.length > available ? available : std::size_t(item.length);
    return source.sub(std::size_t(item.offset), std::min(length, limit));
}

// Grid: version, flags, rows and columns less one, then the canvas's sides.
// Overlay: version, flags, four 16-bit fill values, then the sides. Bit 0 of
// the flags makes the sides 32 bits wide.
std::optional<Size> canvasSize(std::uint32_t type, ByteSpan data)
{
    ByteCursor cursor(data, ByteOrder::Big);
    cursor.skip(1);
    const auto flags = cursor.u8();
    cursor.skip(type == fourcc("grid") ? 2 : 8);
    if (!flags)
        return std::nullopt;
    const bool wide = *flags & 1;
    const auto width = wide ? cursor.u32() : std::optional<std::uint32_t>(cursor.u16());
    const auto height = wide ? cursor.u32() : std::optional<std::uint32_t>(cursor.u16());
    if (!width || !height)
        return std::nullopt;
    return Size{std::int32_t(std::min<std::uint32_t>(*width, INT32_MAX)),
                std::int32_t(std::min<std::uint32_t>(*height, INT32_MAX))};
}

// Most significant bit first; a read past the end fails and stays failed.
class BitReader {
public:
    explicit BitReader(ByteSpan bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }
    std::uint32_t bits(int count)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            if (position_ >= bytes_.size * 8) {
                ok_ = false;
                return 0;
            }
            value = value << 1 | ((bytes_.data[position_ / 8] >> (7 - position_ % 8)) & 1);
            ++position_;
        }
        return value;
    }
    void skip(std::size_t count) { position_ += count; }
    // Exp-Golomb, as HEVC codes its sizes.
    std::uint32_t unsignedGolomb()
    {
        int zeros = 0;
        while (ok_ && bits(1) == 0) {
            if (++zeros > 31) {
                ok_ = false;
                return 0;
            }
        }
        return zeros == 0 ? 0 : (std::uint32_t(1) << zeros) - 1 + bits(zeros);
    }

private:
    ByteSpan bytes_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

// The sequence parameter set's payload without its emulation-prevention
// bytes; the sizes stand within its first bytes.
std::vector<std::uint8_t> unescaped(ByteSpan nal)
{
    std::vector<std::uint8_t> out;
    int zeros = 0;
    for (std::size_t i = 2; i < nal.size && out.size() < 256; ++i) {
        if (zeros >= 2 && nal.data[i] == 3) {
            zeros = 0;
            continue;
        }
        zeros = nal.data[i] == 0 ? zeros + 1 : 0;
        out.push_back(nal.data[i]);
    }
    return out;
}

std::optional<Size> hevcSpsSize(ByteSpan nal)
{
    const std::vector<std::uint8_t> payload = unescaped(nal);
    BitReader reader({payload.data(), payload.size()});
    reader.skip(4); // parameter set id
    const int subLayers = int(reader.bits(3));
    reader.skip(1 + 96); // temporal nesting; general profile, tier and level
    bool profilePresent[8] = {}, levelPresent[8] = {};
    for (int i = 0; i < subLayers; ++i) {
        profilePresent[i] = reader.bits(1);
        levelPresent[i] = reader.bits(1);
    }
    if (subLayers > 0)
        reader.skip(std::size_t(2 * (8 - subLayers)));
    for (int i = 0; i < subLayers; ++i)
        reader.skip((profilePresent[i] ? 88 : 0) + (levelPresent[i] ? 8 : 0));
    reader.unsignedGolomb(); // parameter set id
    if (reader.unsignedGolomb() == 3)
        reader.skip(1); // separate colour planes
    const std::uint32_t width = reader.unsignedGolomb(), height = reader.unsignedGolomb();
    if (!reader.ok())
        return std::nullopt;
    return Size{std::int32_t(std::min<std::uint32_t>(width, INT32_MAX)),
                std::int32_t(std::min<std::uint32_t>(height, INT32_MAX))};
}

// Every sequence parameter set in an HEVC configuration box.
std::vector<Size> hevcConfigSizes(ByteSpan hvcC)
{
    constexpr std::uint8_t spsType = 33;
    std::vector<Size> sizes;
    ByteCursor cursor(hvcC, ByteOrder::Big);
    cursor.skip(22);
    const auto arrays = cursor.u8();
    for (int a = 0; arrays && a < *arrays && cursor.ok(); ++a) {
        const auto kind = cursor.u8();
        const auto count = cursor.u16();
        for (int n = 0; kind && count && n < *count; ++n) {
            const auto length = cursor.u16();
            const auto nal = length ? cursor.bytes(*length) : std::nullopt;
            if (!nal)
                return sizes;
            if ((*kind & 63) == spsType)
                if (const auto size = hevcSpsSize(*nal))
                    sizes.push_back(*size);
        }
    }
    return sizes;
}

std::optional<Size> av1SequenceHeaderSize(ByteSpan payload)
{
    BitReader reader(payload);
    reader.skip(3 + 1); // profile, still picture
    if (reader.bits(1)) {
        reader.skip(5); // reduced still picture header: one level
    } else {
        bool decoderModel = false;
        int delayLength = 0;
        if (reader.bits(1)) { // timing info
            reader.skip(32 + 32);
            if (reader.bits(1)) { // equal picture interval: uvlc
                int zeros = 0;
                while (reader.ok() && reader.bits(1) == 0 && zeros < 32)
                    ++zeros;
                reader.skip(std::size_t(zeros));
            }
            decoderModel = reader.bits(1);
            if (decoderModel) {
                delayLength = int(reader.bits(5)) + 1;
                reader.skip(32 + 5 + 5);
            }
        }
        const bool displayDelay = reader.bits(1);
        const int operatingPoints = int(reader.bits(5)) + 1;
        for (int i = 0; i < operatingPoints && reader.ok(); ++i) {
            reader.skip(12);
            if (reader.bits(5) > 7)
                reader.skip(1); // tier
            if (decoderModel && reader.bits(1))
                reader.skip(std::size_t(2 * delayLength + 1));
            if (displayDelay && reader.bits(1))
                reader.skip(4);
        }
    }
    const int widthBits = int(reader.bits(4)) + 1, heightBits = int(reader.bits(4)) + 1;
    const std::uint64_t width = std::uint64_t(reader.bits(widthBits)) + 1;
    const std::uint64_t height = std::uint64_t(reader.bits(heightBits)) + 1;
    if (!reader.ok())
        return std::nullopt;
    return Size{std::int32_t(width), std::int32_t(height)};
}

// The sizes of the sequence headers among AV1 open bitstream units.
std::vector<Size> av1Sizes(ByteSpan units)
{
    constexpr unsigned sequenceHeaderType = 1;
    std::vector<Size> sizes;
    ByteCursor cursor(units, ByteOrder::Big);
    while (cursor.ok() && !cursor.atEnd()) {
        const std::uint8_t header = *cursor.u8();
        if (header & 4)
            cursor.skip(1); // extension
        std::uint64_t size = cursor.remaining();
        if (header & 2) {
            size = 0;
            for (int i = 0; i < 8; ++i) {
                const auto byte = cursor.u8();
                if (!byte)
                    return sizes;
                size |= std::uint64_t(*byte & 127) << (7 * i);
                if (!(*byte & 128))
                    break;
            }
        }
        const auto payload = size <= cursor.remaining() ? cursor.bytes(std::size_t(size)) : std::nullopt;
        if (!payload)
            return sizes;
        if (((header >> 3) & 15) == sequenceHeaderType)
            if (const auto parsed = av1SequenceHeaderSize(*payload))
                sizes.push_back(*parsed);
    }
    return sizes;
}

// Every size the file's decoders would be asked for: canvases of derived
// pictures, and the coded pictures of every codec configuration, whether
// the primary picture uses it or not.
std::vector<Size> codedSizes(ByteSpan file, ByteSpan meta, const ItemTable& table)
{
    std::vector<Size> sizes;
    for (const auto& [id, item] : table.items) {
        const bool canvas = isCanvas(item);
        if (!canvas && item.type != fourcc("av01"))
            continue;
        const auto data = itemData(item, file, table.idat, 4096);
        if (!data)
            continue;
        if (!canvas) {
            for (const Size size : av1Sizes(*data))
                sizes.push_back(size);
        } else if (const auto size = canvasSize(item.type, *data)) {
            sizes.push_back(*size);
        }
    }
    const auto properties = childOf(meta, fourcc("iprp"));
    const auto container = properties ? childOf(*properties, fourcc("ipco")) : std::nullopt;
    for (const Box& property : container ? boxesIn(*container) : std::vector<Box>{}) {
        std::vector<Size> found;
        if (property.type == fourcc("hvcC"))
            found = hevcConfigSizes(property.body);
        else if (property.type == fourcc("av1C") && property.body.size > 4)
            found = av1Sizes(property.body.sub(4, property.body.size - 4));
        sizes.insert(sizes.end(), found.begin(), found.end());
    }
    return sizes;
}

bool isPictureItem(std::uint32_t type)
{
    // The item types libheif 1.15 makes pictures of; any other item is data.
    constexpr std::uint32_t kPictureTypes[] = {fourcc("hvc1"), fourcc("av01"), fourcc("vvc1"),
                                               fourcc("grid"), fourcc("iden"), fourcc("iovl")};
    return std::find(std::begin(kPictureTypes), std::end(kPictureTypes), type) != std::end(kPictureTypes);
}

using Derivations = std::map<std::uint32_t, std::vector<std::uint32_t>>; // picture -> the pictures it is made of

// The dimg references as libheif 1.15 reads them: one after the other, each
// a box header, the item it is from, a count and the items, without regard
// to the size in the header, which it does not use.
Derivations readDerivations(ByteSpan iref)
{
    Derivations derivations;
    ByteCursor cursor(iref, ByteOrder::Big);
    const auto version = fullBoxVersion(cursor);
    if (!version)
        return derivations;
    auto id = [wide = *version != 0](ByteCursor& at) {
        return wide ? at.u32() : std::optional<std::uint32_t>(at.u16());
    };
    while (cursor.ok() && !cursor.atEnd()) {
        const auto size = cursor.u32();
        const auto type = cursor.u32();
        if (size == 1u)
            cursor.skip(8);
        if (type == fourcc("uuid"))
            cursor.skip(16);
        const auto from = id(cursor);
        const auto count = cursor.u16();
        for (std::uint16_t n = 0; from && count && n < *count && cursor.ok(); ++n) {
            const auto to = id(cursor);
            if (to && type == fourcc("dimg"))
                derivations[*from].push_back(*to);
        }
    }
    return derivations;
}

// Finds a picture made, through any chain, of itself, or a chain deeper than
// any real file needs. Each item is walked once, however many pictures are
// made of it: a few kilobytes of references can name one item thousands of
// times at every level, and walking every path would never end.
class DerivationWalk {
public:
    explicit DerivationWalk(const Derivations& derivations) : derivations_(derivations) {}

    // False when item is made of itself or lies on too deep a chain.
    bool acyclic(std::uint32_t item)
    {
        constexpr std::size_t kDeepest = 16;
        if (const auto known = height_.find(item); known != height_.end())
            return chain_.size() + known->second < kDeepest;
        if (chain_.size() >= kDeepest || !chain_.insert(item).second)
            return false;
        std::size_t height = 0;
        if (const auto parts = derivations_.find(item); parts != derivations_.end()) {
            for (const std::uint32_t part : parts->second) {
                if (!acyclic(part))
                    return false;
                height = std::max(height, height_[part] + 1);
            }
        }
        chain_.erase(item);
        height_[item] = height;
        return true;
    }

private:
    const Derivations& derivations_;
    std::set<std::uint32_t> chain_;               // the items being walked, the caller's included
    std::map<std::uint32_t, std::size_t> height_; // walked items: the longest chain below each
};

std::optional<Size> primaryCanvasOf(ByteSpan file, ByteSpan meta, const ItemTable& table)
{
    const auto pitm = childOf(meta, fourcc("pitm"));
    if (!pitm)
        return std::nullopt;
    ByteCursor cursor(*pitm, ByteOrder::Big);
    const auto version = fullBoxVersion(cursor);
    const auto id = version == 0 ? std::optional<std::uint32_t>(cursor.u16()) : cursor.u32();
    if (!version || !id)
        return std::nullopt;
    const auto primary = table.items.find(*id);
    if (primary == table.items.end() || !isCanvas(primary->second))
        return std::nullopt;
    const auto data = itemData(primary->second, file, table.idat, 4096);
    return data ? canvasSize(primary->second.type, *data) : std::nullopt;
}

Result<void> checkDerivations(ByteSpan meta, const Items& items)
{
    const auto iref = childOf(meta, fourcc("iref"));
    if (!iref)
        return {};
    const auto typeOf = [&items](std::uint32_t id) {
        const auto item = items.find(id);
        return item == items.end() ? 0 : item->second.type;
    };
    const Derivations derivations = readDerivations(*iref);
    DerivationWalk walk(derivations);
    for (const auto& [picture, parts] : derivations) {
        if (!isPictureItem(typeOf(picture)))
            continue;
        for (const std::uint32_t part : parts)
            if (!isPictureItem(typeOf(part)))
                return fail("HEIF picture derived from an item that is no picture");
        if (!walk.acyclic(picture))
            return fail("HEIF picture derived from itself");
    }
    return {};
}

} // namespace

Result<std::optional<Size>> checkBeforeDecoding(ByteSpan file, const Limits& limits)
{
    const auto meta = metaBody(file);
    if (!meta)
        return std::optional<Size>();
    VARDOLIN_TRY_ASSIGN(const ItemTable table, readItemTable(file, *meta));
    for (const Size size : codedSizes(file, *meta, table))
        VARDOLIN_TRY(limits.check(size.width, size.height));
    VARDOLIN_TRY(checkDerivations(*meta, table.items));
    return primaryCanvasOf(file, *meta, table);
}

} // namespace vardolin::picture
