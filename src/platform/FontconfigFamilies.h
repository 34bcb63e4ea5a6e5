#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace qx44 {

// The font families fontconfig offers this user's programs, as its configuration reads now
// (FONTCONFIG_FILE, the system's folders, the user's own).
class FontconfigFamilies {
public:
    FontconfigFamilies() = delete;

    // Those of `families` that fontconfig lists no font of (names compared as fontconfig does,
    // case and blanks aside), in their order; all of them when fontconfig cannot be set up.
    static std::vector<std::string_view> Missing(std::span<const std::string_view> families);
};

} // namespace qx44
