#pragma once

#include <string>
#include <string_view>

namespace qx44 {

// Any bytes as XML 1.0 text: markup characters escaped, and what XML cannot hold at all (bytes
// that are not UTF-8, control characters, U+FFFE and U+FFFF) written as "\xNN" per byte, so a
// report about arbitrary host bytes stays a well-formed document.
class XmlText {
public:
    XmlText() = delete;

    // For element content.
    static std::string Content(std::string_view text);
    // For a double-quoted attribute value: line breaks and tabs as character references, which
    // a reader keeps (it would turn them into spaces otherwise).
    static std::string Attribute(std::string_view text);
};

} // namespace qx44
