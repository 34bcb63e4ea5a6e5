#include "core/common/HexText.h"

namespace qx44 {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

std::string HexText::Byte(std::uint8_t value) {
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

void HexText::AppendBytes(std::string& out, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        out += ' ';
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0x0F];
    }
}

} // namespace qx44
