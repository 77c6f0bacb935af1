#pragma once
// Bounds-checked reading of file bytes. Every offset, length and count that a
// file supplies is checked here, so a lying header becomes a failed read
// instead of a read past the buffer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

namespace vardolin::picture {

struct ByteSpan {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;

    bool has(std::size_t offset, std::size_t length) const { return offset <= size && length <= size - offset; }
    bool startsWith(const void* prefix, std::size_t length) const
    {
        return has(0, length) && std::memcmp(data, prefix, length) == 0;
    }
    // Only for ranges that has() accepted.
    ByteSpan sub(std::size_t offset, std::size_t length) const { return {data + offset, length}; }
};

enum class ByteOrder { Little, Big };

// A cursor that has failed once stays failed: every later seek, skip or read
// fails too, so a header cut short cannot slip through between two checks.
class ByteCursor {
public:
    explicit ByteCursor(ByteSpan bytes, ByteOrder order = ByteOrder::Little) : bytes_(bytes), order_(order) {}

    void setOrder(ByteOrder order) { order_ = order; }
    std::size_t position() const { return position_; }
    std::size_t remaining() const { return bytes_.size - position_; }
    bool atEnd() const { return position_ >= bytes_.size; }
    // False once any seek, skip or read has failed.
    bool ok() const { return !failed_; }

    bool seek(std::size_t offset)
    {
        if (failed_ || offset > bytes_.size)
            return failed();
        position_ = offset;
        return true;
    }
    bool skip(std::size_t count)
    {
        if (!has(count))
            return false;
        position_ += count;
        return true;
    }

    std::optional<std::uint8_t> u8()
    {
        if (!has(1))
            return std::nullopt;
        return bytes_.data[position_++];
    }
    std::optional<std::uint16_t> u16()
    {
        const auto v = take(2);
        if (!v)
            return std::nullopt;
        return std::uint16_t(*v);
    }
    std::optional<std::uint32_t> u32() { return take(4); }
    std::optional<std::int32_t> i32()
    {
        const auto v = take(4);
        if (!v)
            return std::nullopt;
        return std::int32_t(*v);
    }
    // A view of the next count bytes, or nothing when fewer remain.
    std::optional<ByteSpan> bytes(std::size_t count)
    {
        if (!has(count))
            return std::nullopt;
        const ByteSpan view = bytes_.sub(position_, count);
        position_ += count;
        return view;
    }

private:
    bool failed()
    {
        failed_ = true;
        return false;
    }
    // True when count more bytes can be read; otherwise the cursor fails.
    bool has(std::size_t count) { return failed_ || count > remaining() ? failed() : true; }

    std::optional<std::uint32_t> take(std::size_t count)
    {
        if (!has(count))
            return std::nullopt;
        const std::uint8_t* p = bytes_.data + position_;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t shift = order_ == ByteOrder::Little ? i : count - 1 - i;
            value |= std::uint32_t(p[i]) << (8 * shift);
        }
        position_ += count;
        return value;
    }

    ByteSpan bytes_;
    ByteOrder order_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

} // namespace vardolin::picture
