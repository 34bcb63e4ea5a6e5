#include "core/media/Windows1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qx44 {

namespace {

// 0x80 to 0x9F; 0 where the code page leaves the byte undefined, which then stands for the C1
// control of the same value, as the platform's conversion gives it.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] != 0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char ByteOf(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        const char32_t mapped = kHighControls[i] != 0 ? kHighControls[i] : 0x80 + i;
        if (mapped == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

// The next code point of well-formed UTF-8 at `text`, or nothing for an ill-formed byte, which is
// then skipped alone.
std::optional<char32_t> NextCodePoint(std::string_view& text) {
    const auto lead = static_cast<unsigned char>(text.front());
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || length > text.size()) {
        text.remove_prefix(1);
        return std::nullopt;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80) {
            text.remove_prefix(1);
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
    text.remove_prefix(length);
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return c;
}

} // namespace

std::string Windows1252::ToUtf8(std::span<const unsigned char> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const unsigned char byte : bytes) {
        AppendUtf8(out, CodePointOf(byte));
    }
    return out;
}

std::string Windows1252::FromUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto c = NextCodePoint(text);
        out += c ? ByteOf(*c) : '?';
    }
    return out;
}

} // namespace qx44
