#pragma once

#include <cstdint>

namespace qx44 {

// The virtual-key code for a key number the host uses in a play list's exit-key line (0 to 182);
// 0 for a number with no key and for any number outside the table.
std::uint32_t HostKeyCode(int number);

} // namespace qx44
