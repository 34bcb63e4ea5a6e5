#include "core/hostlink/CCommand_Buffer.h"

#include <algorithm>
#include <cstring>

namespace qx44 {

namespace {

constexpr std::uint8_t kPlayListCode = 0x40;
constexpr std::size_t kPlayListHeader = 8; // a 0x40 message's ETX is searched from here on
constexpr std::size_t kPlayListPiece = 4;  // what is cut off a 0x40 message without its ETX

// Length of the message that starts at data[0] (an STX), or nothing while the header bytes the
// rule needs have not arrived; data holds at least four bytes.
std::optional<std::size_t> LengthByRule(std::span<const std::uint8_t> data) {
    const auto byteAt = [&](std::size_t offset) -> std::optional<std::size_t> {
        if (offset >= data.size()) {
            return std::nullopt;
        }
        return data[offset];
    };
    const auto plus = [](std::size_t base, std::optional<std::size_t> count) {
        return count ? std::optional<std::size_t>(base + *count) : std::nullopt;
    };

    switch (data[2]) {
    case 0x05:
    case 0x10:
    case 0x21:
    case 0x26:
    case 0x2B:
    case 0x2D:
    case 0x42:
        return 5;
    case 0x06:
    case 0x22:
        return 6;
    case 0x24:
        return 8;
    case 0x09:
    case 0x0A:
    case 0x25:
    case 0x3E:
        return 9;
    case 0x0E:
        return 10;
    case 0x3F:
        return 13;
    case 0x0F:
    case 0x1F:
    case 0x50:
        return plus(5, byteAt(3));
    case 0x32:
        return plus(8, byteAt(6));
    case 0x23:
    case 0x78:
        return plus(9, byteAt(7));
    case 0x0D: {
        const auto high = byteAt(6);
        const auto low = byteAt(7);
        if (!high || !low) {
            return std::nullopt;
        }
        return 9 + 256 * *high + *low;
    }
    case kPlayListCode: {
        const auto* begin = data.data() + std::min(kPlayListHeader, data.size());
        const auto* etx = std::find(begin, data.data() + data.size(), kEtx);
        if (etx == data.data() + data.size()) {
            return kPlayListPiece;
        }
        return static_cast<std::size_t>(etx - data.data()) + 1;
    }
    default:
        return 4;
    }
}

} // namespace

CCommand_Buffer::CCommand_Buffer() : data_(std::make_unique<std::uint8_t[]>(kCapacity)) {}

std::span<std::uint8_t> CCommand_Buffer::FreeSpace() {
    if (start_ > 0) {
        std::memmove(data_.get(), data_.get() + start_, Buffered());
        fill_ -= start_;
        start_ = 0;
    }
    return {data_.get() + fill_, kCapacity - fill_};
}

void CCommand_Buffer::Advance(std::size_t count) {
    fill_ = std::min(kCapacity, fill_ + count);
}

void CCommand_Buffer::SkipToStx() {
    const auto data = Data();
    if (data.empty() || data.front() == kStx) {
        return;
    }
    const auto stx = std::find(data.begin(), data.end(), kStx);
    Consume(static_cast<std::size_t>(stx - data.begin()));
}

std::optional<std::size_t> CCommand_Buffer::FindMessageEnd() const {
    const auto data = Data();
    if (data.size() < 4) {
        return std::nullopt;
    }
    const auto length = LengthByRule(data);
    if (!length || *length > data.size()) {
        return std::nullopt;
    }
    return length;
}

void CCommand_Buffer::Consume(std::size_t end) {
    start_ += std::min(end, Buffered());
    if (start_ == fill_) {
        Clear();
    }
}

std::size_t CCommand_Buffer::CopyOut(std::span<std::uint8_t> destination, std::size_t count) const {
    const std::size_t n = std::min({count, destination.size(), Buffered()});
    std::memcpy(destination.data(), data_.get() + start_, n);
    return n;
}

bool CCommand_Buffer::IsPlayListPiece(std::size_t end) const {
    return end == kPlayListPiece && Buffered() >= kPlayListPiece && Data()[2] == kPlayListCode;
}

void CCommand_Buffer::Clear() {
    start_ = 0;
    fill_ = 0;
}

} // namespace qx44
