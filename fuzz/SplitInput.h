#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qx44::fuzz {

// A fuzz input read as a byte stream and the sizes of the pieces it is fed in. The input's last
// byte tells how many sizes (0 to 8) the bytes before it give; the rest, from the start, is the
// stream. A seed that is a plain stream ends in 0x00: one piece.
class SplitInput {
public:
    explicit SplitInput(std::span<const std::uint8_t> input) : stream_(input) {
        if (stream_.empty()) {
            return;
        }
        const std::size_t count = std::min<std::size_t>(stream_.back() % 9, stream_.size() - 1);
        stream_ = stream_.first(stream_.size() - 1);
        for (std::size_t i = 0; i < count; ++i) {
            sizes_.push_back(stream_.back());
            stream_ = stream_.first(stream_.size() - 1);
        }
    }

    std::span<const std::uint8_t> Stream() const { return stream_; }

    // The size of piece `turn` (the sizes repeat; a size of 0 takes everything left) when
    // `left` bytes are still to come: never more than that.
    std::size_t Piece(std::size_t turn, std::size_t left) const {
        const std::size_t size = sizes_.empty() ? 0 : sizes_[turn % sizes_.size()];
        return size == 0 ? left : std::min(size, left);
    }

    // A fixed one in `every` of all inputs, chosen by their bytes, so a run and its replays pick
    // the same ones.
    static bool Sampled(std::span<const std::uint8_t> input, std::uint32_t every) {
        std::uint32_t hash = 2166136261u;
        for (const std::uint8_t byte : input) {
            hash = (hash ^ byte) * 16777619u;
        }
        return hash % every == 0;
    }

private:
    std::span<const std::uint8_t> stream_;
    std::vector<std::size_t> sizes_;
};

} // namespace qx44::fuzz
