#pragma once

#include <cstdint>
#include <string_view>

namespace qx44 {

// Names for the virtual-key codes that key sets and the setup dialog's key lists offer. The rows
// and their codes are what settings files hold, so they stay as they always were, duplicates and
// all: a code that appears twice is named by its first row.
class CVkQX44 {
public:
    static constexpr int kNotFound = -1;

    static constexpr int GetCount() { return 91; }
    // "" outside 0..GetCount()-1.
    static std::string_view GetName(int index);
    // 0 outside 0..GetCount()-1.
    static std::uint32_t GetCode(int index);
    // The lowest row carrying `code`, or kNotFound.
    static int FindCode(std::uint32_t code);
    // "" for a code no row carries.
    static std::string_view GetNameOfCode(std::uint32_t code);
};

} // namespace qx44
