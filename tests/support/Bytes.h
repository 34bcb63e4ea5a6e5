#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

namespace qx44::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

inline Bytes Repeat(const Bytes& part, int times) {
    Bytes all;
    for (int i = 0; i < times; ++i) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// "02 01 20 03" style, which is how the tests and their failure messages show bytes.
inline std::string Hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    char piece[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(piece, sizeof(piece), i == 0 ? "%02X" : " %02X", bytes[i]);
        text += piece;
    }
    return text;
}

} // namespace qx44::test
