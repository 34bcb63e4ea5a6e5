#include "core/hostlink/CCommand_Buffer.h"

#include <algorithm>
#include <cstring>

namespace qx44 {

namespace {

constexpr std::uint8_t kPlayListCode = 0x40;
constexpr std::size_t kPlayListHeader = 8; // a 0x40 message's ETX is searched from here on

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
        // A list split by TCP waits for the rest like any other message; one that outgrows the
        // hand-off area without its ETX is given up, its STX dropped as a one-byte piece.
        const std::size_t searched = std::min(data.size(), CCommand_Buffer::kLongestPlayList);
        const auto* begin = data.data() + std::min(kPlayListHeader, searched);
        const auto* end = data.data() + searched;
        const auto* etx = std::find(begin, end, kEtx);
        if (etx != end) {
            return static_cast<std::size_t>(etx - data.data()) + 1;
        }
        if (searched == CCommand_Buffer::kLongestPlayList) {
            return 1;
        }
        return std::nullopt;
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

std::size_t CCommand_Buffer::SkipToStx() {
    const auto data = Data();
    if (data.empty() || data.front() == kStx) {
        return 0;
    }
    const auto dropped =
        static_cast<std::size_t>(std::find(data.begin(), data.end(), kStx) - data.begin());
    Consume(dropped);
    return dropped;
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

void CCommand_Buffer::Clear() {
    start_ = 0;
    fill_ = 0;
}

} // namespace qx44
