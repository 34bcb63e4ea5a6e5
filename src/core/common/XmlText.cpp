#include "core/common/XmlText.h"

#include "core/common/Utf8Decoder.h"

#include <array>
#include <cstdio>

namespace qx44 {

namespace {

// The length of the character at the start of `text` when XML can hold it, else 0.
std::size_t XmlCharacterLength(std::string_view text) {
    const Utf8Decoder::Character character = Utf8Decoder::Next(text);
    const char32_t code = character.code;
    const bool allowed = character.valid &&
                         (code >= 0x20 || code == '\t' || code == '\n' || code == '\r') &&
                         code != 0xFFFE && code != 0xFFFF;
    return allowed ? character.length : 0;
}

std::string Escaped(std::string_view text, bool attribute) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = XmlCharacterLength(text);
        if (length == 0) {
            std::array<char, 8> hex{};
            std::snprintf(hex.data(), hex.size(), "\\x%02X", static_cast<unsigned char>(text[0]));
            out += hex.data();
            text.remove_prefix(1);
            continue;
        }
        const char c = text[0];
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"' && attribute) {
            out += "&quot;";
        } else if (c == '\n' && attribute) {
            out += "&#10;";
        } else if (c == '\r') {
            // A reader turns a bare carriage return into a line feed, in content too.
            out += "&#13;";
        } else if (c == '\t' && attribute) {
            out += "&#9;";
        } else {
            out.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return out;
}

} // namespace

std::string XmlText::Content(std::string_view text) {
    return Escaped(text, false);
}

std::string XmlText::Attribute(std::string_view text) {
    return Escaped(text, true);
}

} // namespace qx44
