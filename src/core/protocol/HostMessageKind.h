#pragma once

#include "core/protocol/LengthRule.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// One row of the host-to-station table: the code, how the framer finds the message's end, the
// name a trace shows and the reading of the fields the handler uses. A row without a name is
// framed by its rule and never dispatched: the station ignores the code, or, for the picture
// transfer, the framer streams it itself.
struct HostMessageKind {
    using Message = std::span<const std::uint8_t>;
    // What a trace needs beyond the message to read it.
    struct Context {
        int beeperPitch = 0;
    };
    // The fields after the name, e.g. "col=10 row=5 bg=210 fg=0 \"Hi\""; empty when none.
    using Reading = std::string (*)(Message, const Context&);

    std::uint8_t code = 0;
    LengthRule length;
    std::string_view name{};
    Reading fields = nullptr;
};

} // namespace qx44
