#pragma once

#include <string_view>

namespace qx44 {

// The product's string table entries 102 to 104, shown by both the boot screen and the station
// information box.
struct ProductStrings {
    static constexpr std::string_view kProgramDate = "Program Date: 7/30/2009";
    static constexpr std::string_view kProgramVersion = "Program version: 1.102";
    static constexpr std::string_view kProductName = "HBK Corvane Pavise";
};

} // namespace qx44
