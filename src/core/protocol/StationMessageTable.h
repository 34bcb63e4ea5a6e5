#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// One station-to-host message: its code, its name in a trace, its length, how a trace reads its
// values, and whether a replay can expect it (keys and clicks come from a person, serial input
// from a device, neither of which a replay has).
struct StationMessageKind {
    enum class Values : std::uint8_t { Hex, Cell, PortStatus, FileList };

    std::uint8_t code = 0;
    std::string_view name;
    // 0: up to the first ETX after the code.
    std::size_t length = 0;
    Values values = Values::Hex;
    bool replayable = true;
};

// Every message the station sends to the host. Each sender takes its code from its row here, and
// the trace reads the messages with the same rows.
class StationMessageTable {
public:
    using Values = StationMessageKind::Values;

    static constexpr StationMessageKind kKey{
        .code = 0x11, .name = "key", .length = 5, .replayable = false};
    static constexpr StationMessageKind kSerial1Byte{
        .code = 0x12, .name = "serial1 byte", .length = 5, .replayable = false};
    static constexpr StationMessageKind kAnswerTo11{.code = 0x14, .name = "answer", .length = 5};
    static constexpr StationMessageKind kSerial2Byte{
        .code = 0x22, .name = "serial2 byte", .length = 5, .replayable = false};
    static constexpr StationMessageKind kAnswerTo2C{.code = 0x2B, .name = "answer", .length = 5};
    static constexpr StationMessageKind kMouseDown{.code = 0x2C,
                                                   .name = "mouse down",
                                                   .length = 6,
                                                   .values = Values::Cell,
                                                   .replayable = false};
    static constexpr StationMessageKind kMouseUp{
        .code = 0x2D, .name = "mouse up", .length = 6, .values = Values::Cell, .replayable = false};
    static constexpr StationMessageKind kAnswerTo2D{.code = 0x2E, .name = "answer", .length = 6};
    static constexpr StationMessageKind kMediaList{
        .code = 0x33, .name = "media list", .values = Values::FileList};
    static constexpr StationMessageKind kPortStatus{
        .code = 0x34, .name = "port status", .length = 6, .values = Values::PortStatus};
    static constexpr StationMessageKind kAcknowledge{.code = 0x35, .name = "ack", .length = 4};
    static constexpr StationMessageKind kMediaKey{
        .code = 0x41, .name = "media key", .length = 4, .replayable = false};
    static constexpr StationMessageKind kPrinterByte{
        .code = 0x52, .name = "printer byte", .length = 5, .replayable = false};
    static constexpr StationMessageKind kMouseDoubleClick{.code = 0x55,
                                                          .name = "mouse double click",
                                                          .length = 6,
                                                          .values = Values::Cell,
                                                          .replayable = false};

    static constexpr std::array kRows{
        kKey,         kSerial1Byte, kAnswerTo11,  kSerial2Byte,      kAnswerTo2C,
        kMouseDown,   kMouseUp,     kAnswerTo2D,  kMediaList,        kPortStatus,
        kAcknowledge, kMediaKey,    kPrinterByte, kMouseDoubleClick,
    };

    static const StationMessageKind* Find(std::uint8_t code);
    // The length of the message at the start of `bytes`, or nullopt when it is not complete
    // yet (or does not start with STX, or has an unknown code: then it runs to the next ETX).
    static std::optional<std::size_t> MessageLength(std::span<const std::uint8_t> bytes);
    // "key E0", "port status 1: FF", "mouse down col=3 row=4", "ack", ...
    static std::string Read(std::span<const std::uint8_t> message);
};

} // namespace qx44
