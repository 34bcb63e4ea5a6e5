#include "core/common/HexText.h"

namespace qx44 {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

std::string HexText::Byte(std::uint8_t value) {
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

void HexText::AppendBytes(std::string& out, std::span<const std::uint8_t> bytes) {
    // Written in place: a trace line can hold a whole picture file.
    const std::size_t at = out.size();
    out.resize(at + 3 * bytes.size());
    char* next = out.data() + at;
    for (const std::uint8_t byte : bytes) {
        *next++ = ' ';
        *next++ = kDigits[byte >> 4];
        *next++ = kDigits[byte & 0x0F];
    }
}

} // namespace qx44
