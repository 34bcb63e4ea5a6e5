#include "core/text/Windows1252.h"

#include "core/text/CUnicodeConverter.h"

#include <array>
#include <cstdint>

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

} // namespace

std::string Windows1252::ToUtf8(std::span<const unsigned char> bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const unsigned char byte : bytes) {
        CUnicodeConverter::AppendUtf8(out, static_cast<char16_t>(CodePointOf(byte)));
    }
    return out;
}

std::string Windows1252::FromUtf8(std::string_view text) {
    const std::u16string units = CUnicodeConverter::Utf8ToWide(text);
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        const bool highSurrogate = unit >= 0xD800 && unit <= 0xDBFF;
        // A character beyond the 16-bit plane arrives as a surrogate pair: one '?' for both.
        if (highSurrogate && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            ++i;
        }
        out += unit >= 0xD800 && unit <= 0xDFFF ? '?' : ByteOf(unit);
    }
    return out;
}

} // namespace qx44
