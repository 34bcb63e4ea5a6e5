#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qx44 {

// "1B 71": bytes as the printer's unknown commands and the control port's records show them.
std::string HexText(std::span<const std::uint8_t> bytes);

} // namespace qx44
