#pragma once

#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// The 8-bit code page in which the station's media texts travel: play-list entries from the host
// and file names to it.
class Windows1252 {
public:
    // Every byte becomes one character, written as UTF-8.
    static std::string ToUtf8(std::span<const unsigned char> bytes);
    // One byte per character; a character the code page lacks, and each ill-formed part of the
    // UTF-8, becomes '?'.
    static std::string FromUtf8(std::string_view text);
};

} // namespace qx44
