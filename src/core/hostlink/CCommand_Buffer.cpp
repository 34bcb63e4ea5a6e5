#include "core/hostlink/CCommand_Buffer.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qx44 {

namespace {

constexpr std::uint8_t kPlayListCode = 0x40;
constexpr std::size_t kPlayListHeader = 8; // a 0x40 message's ETX is searched from here on

// How the length of a code's message is read from its header: base + 256 × byte[highAt] +
// byte[lowAt], a byte with scale 0 left out, once the first `header` bytes have arrived.
struct LengthRule {
    std::uint16_t base = 4;
    std::uint8_t header = 4;
    std::uint8_t lowAt = 0;
    std::uint8_t lowScale = 0;
    std::uint8_t highAt = 0;
    std::uint16_t highScale = 0;
    bool playList = false;
};

constexpr LengthRule RuleForCode(std::uint8_t code) {
    const auto fixed = [](std::uint16_t length) { return LengthRule{.base = length}; };
    const auto counted = [](std::uint16_t base, std::uint8_t at) {
        return LengthRule{
            .base = base, .header = static_cast<std::uint8_t>(at + 1), .lowAt = at, .lowScale = 1};
    };
    switch (code) {
    case 0x05:
    case 0x10:
    case 0x21:
    case 0x26:
    case 0x2B:
    case 0x2D:
    case 0x42:
        return fixed(5);
    case 0x06:
    case 0x22:
        return fixed(6);
    case 0x24:
        return fixed(8);
    case 0x09:
    case 0x0A:
    case 0x25:
    case 0x3E:
        return fixed(9);
    case 0x0E:
        return fixed(10);
    case 0x3F:
        return fixed(13);
    case 0x0F:
    case 0x1F:
    case 0x50:
        return counted(5, 3);
    case 0x32:
        return counted(8, 6);
    case 0x23:
    case 0x78:
        return counted(9, 7);
    case 0x0D:
        return {.base = 9, .header = 8, .lowAt = 7, .lowScale = 1, .highAt = 6, .highScale = 256};
    case kPlayListCode:
        return {.playList = true};
    default:
        return fixed(4);
    }
}

// Looked up rather than switched on: the codes of a stream alternate, and a jump that depends on
// the code is mispredicted about as often as they do.
constexpr auto kLengthRules = [] {
    std::array<LengthRule, 256> rules{};
    for (std::size_t code = 0; code < rules.size(); ++code) {
        rules[code] = RuleForCode(static_cast<std::uint8_t>(code));
    }
    return rules;
}();

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
