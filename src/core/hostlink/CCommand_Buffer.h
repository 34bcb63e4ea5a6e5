#pragma once

#include "core/protocol/FramingBytes.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace qx44 {

// The received bytes of one connection that are not consumed yet. Consuming only moves the start
// mark; the unconsumed rest is moved to the front once per read, when free space is asked for, so
// a read full of small messages is cut in time proportional to its size.
class CCommand_Buffer {
public:
    static constexpr std::size_t kCapacity = 204800;
    // A 0x40 play list whose ETX has not come within this many bytes is dropped.
    static constexpr std::size_t kLongestPlayList = 3500;

    CCommand_Buffer();

    // Room for the next read, after moving the unconsumed bytes to the front.
    std::span<std::uint8_t> FreeSpace();
    void Advance(std::size_t count);

    std::size_t Buffered() const { return fill_ - start_; }
    std::span<const std::uint8_t> Data() const { return {data_.get() + start_, Buffered()}; }

    // Returns how many bytes in front of the first STX were dropped.
    std::size_t SkipToStx();
    // Position just after the first message's last byte, counted from the first buffered byte.
    std::optional<std::size_t> FindMessageEnd() const {
        const std::size_t end = MessageEnd();
        return end > 0 ? std::optional<std::size_t>(end) : std::nullopt;
    }
    void Consume(std::size_t end) {
        start_ += std::min(end, Buffered());
        if (start_ == fill_) {
            Clear();
        }
    }
    void Clear();

private:
    // FindMessageEnd with 0 for none: an optional returned from out of line goes through memory,
    // once per message.
    std::size_t MessageEnd() const;

    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t start_ = 0;
    std::size_t fill_ = 0;
};

} // namespace qx44
