#pragma once
// The bytes a lying decoder might send, read by the run's side of the decode
// protocol as it reads a socket.

#include "batch/DecoderAnswer.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace vardolin::batch::fixture {

class AnswerBytes : public AnswerSource {
public:
    explicit AnswerBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    bool read(std::uint8_t* into, std::size_t size) override
    {
        if (size > bytes_.size() - at_)
            return false;
        if (size > 0)
            std::memcpy(into, bytes_.data() + at_, size);
        at_ += size;
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

} // namespace vardolin::batch::fixture
