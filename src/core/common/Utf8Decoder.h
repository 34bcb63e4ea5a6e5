#pragma once

#include <cstddef>
#include <string_view>

namespace qx44 {

// Reads UTF-8 one character at a time, strictly: overlong forms, surrogates, codes past
// U+10FFFF and cut sequences are invalid, one byte each, so any bytes read as some text.
class Utf8Decoder {
public:
    struct Character {
        char32_t code = 0xFFFD;
        std::size_t length = 1;
        bool valid = false;
    };

    Utf8Decoder() = delete;

    // The character at the start of `text`, which must not be empty.
    static Character Next(std::string_view text);
};

} // namespace qx44
