#include "core/hostlink/CCommand_Buffer.h"

#include "core/protocol/HostMessageTable.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qx44 {

namespace {

constexpr std::size_t kPlayListHeader = 8; // a 0x40 message's ETX is searched from here on

// Looked up rather than switched on: the codes of a stream alternate, and a jump that depends on
// the code is mispredicted about as often as they do.
constexpr auto kLengthRules = HostMessageTable::LengthRules();

// A list split by TCP waits for the rest like any other message (0 until its ETX has come); one
// that outgrows the hand-off area without its ETX is given up, its STX dropped as a one-byte
// piece.
std::size_t PlayListLength(std::span<const std::uint8_t> data) {
    const std::size_t searched = std::min(data.size(), CCommand_Buffer::kLongestPlayList);
    const auto* begin = data.data() + std::min(kPlayListHeader, searched);
    const auto* end = data.data() + searched;
    const auto* etx = std::find(begin, end, kEtx);
    if (etx != end) {
        return static_cast<std::size_t>(etx - data.data()) + 1;
    }
    return searched == CCommand_Buffer::kLongestPlayList ? 1 : 0;
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

std::size_t CCommand_Buffer::MessageEnd() const {
    const auto data = Data();
    if (data.size() < 4) {
        return 0;
    }
    // The message starts at data[0], an STX.
    const LengthRule& rule = kLengthRules[data[2]];
    if (rule.playList) {
        return PlayListLength(data);
    }
    if (data.size() < rule.header) {
        return 0;
    }
    const std::size_t length = rule.base + std::size_t{rule.highScale} * data[rule.highAt] +
                               std::size_t{rule.lowScale} * data[rule.lowAt];
    if (length > data.size()) {
        return 0;
    }
    return length;
}

void CCommand_Buffer::Clear() {
    start_ = 0;
    fill_ = 0;
}

} // namespace qx44
