#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qx44 {

// Bytes as a person reads them in a trace: two upper-case hex digits each, no prefix.
class HexText {
public:
    static std::string Byte(std::uint8_t value);
    // Appends " XX" for each byte.
    static void AppendBytes(std::string& out, std::span<const std::uint8_t> bytes);
    // "1B 71": the bytes with a blank between them and none before.
    static std::string Bytes(std::span<const std::uint8_t> bytes);
};

} // namespace qx44
