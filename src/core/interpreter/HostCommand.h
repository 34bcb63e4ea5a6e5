#pragma once

#include "core/common/CancelToken.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

class CVantorCmd;

// Field values the handlers and the trace's readings both interpret.
inline constexpr int kBeepUnitMs = 250;
inline constexpr int kBeepBaseHz = 2000;
inline constexpr int kBeepStepHz = 40;
// Row 25 of command 'x' means the status line.
inline constexpr std::uint8_t kStatusLineRow = 25;
// The port byte of command 'B' that asks for the printer's status.
inline constexpr std::uint8_t kPrinterStatusPort = 0xFE;

// One row of the station's command table: the code, the name a trace shows, the handler the
// dispatcher runs and the reading of the fields that handler uses. The dispatcher and the trace
// decoder both read this table, so a code cannot be handled under one meaning and traced under
// another.
struct HostCommand {
    using Message = std::span<const std::uint8_t>;
    using Handler = void (*)(CVantorCmd&, Message, const CancelToken&);
    // What a trace needs beyond the message to read it.
    struct Context {
        int beeperPitch = 0;
    };
    // The fields after the name, e.g. "col=10 row=5 bg=210 fg=0 \"Hi\""; empty when none.
    using Reading = std::string (*)(Message, const Context&);

    std::uint8_t code = 0;
    std::string_view name;
    Handler handler = nullptr;
    Reading fields = nullptr;
};

} // namespace qx44
