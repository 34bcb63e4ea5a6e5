#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// Every message the station sends to the host: its length, its name in a trace, and whether a
// replay can expect it (keys and clicks come from a person, serial input from a device, neither
// of which a replay has).
struct StationMessageKind {
    enum class Values : std::uint8_t { Hex, Cell, PortStatus, FileList };

    std::uint8_t code = 0;
    std::string_view name;
    // 0: up to the first ETX after the code.
    std::size_t length = 0;
    Values values = Values::Hex;
    bool replayable = true;
};

class StationMessageTable {
public:
    static const StationMessageKind* Find(std::uint8_t code);
    // The length of the message at the start of `bytes`, or nullopt when it is not complete
    // yet (or does not start with STX, or has an unknown code: then it runs to the next ETX).
    static std::optional<std::size_t> MessageLength(std::span<const std::uint8_t> bytes);
    // "key E0", "port status 1: FF", "mouse down col=3 row=4", "ack", ...
    static std::string Read(std::span<const std::uint8_t> message);
};

} // namespace qx44
