#pragma once

#include "core/common/CancelToken.h"

#include <cstdint>
#include <span>

namespace qx44 {

class CVantorCmd;

// The interpreter's half of a host-to-station row: the handler the dispatcher runs for a code.
// The code's length rule, name and field reading are its row of the host message table.
struct HostCommandHandler {
    using Message = std::span<const std::uint8_t>;
    using Handler = void (*)(CVantorCmd&, Message, const CancelToken&);

    std::uint8_t code = 0;
    Handler handler = nullptr;
};

} // namespace qx44
