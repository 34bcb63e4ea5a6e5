#include "core/common/HexText.h"

#include <array>
#include <cstring>

namespace qx44 {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

} // namespace

std::string HexText::Byte(std::uint8_t value) {
    return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

void HexText::AppendBytes(std::string& out, std::span<const std::uint8_t> bytes) {
    // Written in place, three characters a byte from one table: a trace line can hold a whole
    // picture file.
    static constexpr auto kTriples = [] {
        std::array<std::array<char, 3>, 256> triples{};
        for (std::size_t byte = 0; byte < triples.size(); ++byte) {
            triples[byte] = {' ', kDigits[byte >> 4], kDigits[byte & 0x0F]};
        }
        return triples;
    }();
    const std::size_t at = out.size();
    out.resize(at + 3 * bytes.size());
    char* next = out.data() + at;
    for (const std::uint8_t byte : bytes) {
        std::memcpy(next, kTriples[byte].data(), 3);
        next += 3;
    }
}

std::string HexText::Bytes(std::span<const std::uint8_t> bytes) {
    std::string text;
    AppendBytes(text, bytes);
    return text.empty() ? text : text.substr(1);
}

} // namespace qx44
