#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// Turns host bytes into the 16-bit codes that cells hold. Hosts mix single-byte text (code page
// 437, whose line characters the screen draws itself) with UTF-8, so only a complete UTF-8
// sequence becomes a character and every other byte keeps its value. Each input byte yields at
// most one code.
class CUnicodeConverter {
public:
    // Writes at most out.size() codes and returns how many were written.
    static std::size_t DecodeText(std::span<char16_t> out, std::span<const std::uint8_t> bytes);
    static std::u16string DecodeText(std::span<const std::uint8_t> bytes);
    // True when DecodeText would give every byte back as a code of its own value, because no
    // byte could start a sequence; such text needs no decoding.
    static bool DecodesToItself(std::span<const std::uint8_t> bytes);

    // The first UTF-16 unit of the converted sequence, or 0 when the conversion gives nothing.
    // A code point above U+FFFF therefore yields its high surrogate alone.
    static char16_t DecodeSequence(std::span<const std::uint8_t> sequence);

    // Strict UTF-8 to UTF-16. The text ends at its first NUL byte, if any, because hosts pad
    // fixed fields with NULs. Ill-formed input gives one U+FFFD for each maximal part of a
    // sequence that cannot be completed (a stray byte, a truncated sequence, or each byte of an
    // overlong form or an encoded surrogate) and decoding resumes at the next byte.
    static std::u16string Utf8ToWide(std::span<const std::uint8_t> text);
    static std::u16string Utf8ToWide(std::string_view text);

    // Appends one character of the Basic Multilingual Plane as UTF-8.
    static void AppendUtf8(std::string& out, char16_t unit);
};

} // namespace qx44
