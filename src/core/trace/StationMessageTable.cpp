#include "core/trace/StationMessageTable.h"

#include "core/common/HexText.h"
#include "core/hostlink/CCommand_Buffer.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace qx44 {

namespace {

using Values = StationMessageKind::Values;

constexpr std::array kStationMessages{
    StationMessageKind{.code = 0x11, .name = "key", .length = 5, .replayable = false},
    StationMessageKind{.code = 0x12, .name = "serial1 byte", .length = 5, .replayable = false},
    StationMessageKind{.code = 0x14, .name = "answer", .length = 5},
    StationMessageKind{.code = 0x22, .name = "serial2 byte", .length = 5, .replayable = false},
    StationMessageKind{.code = 0x2B, .name = "answer", .length = 5},
    StationMessageKind{.code = 0x2C,
                       .name = "mouse down",
                       .length = 6,
                       .values = Values::Cell,
                       .replayable = false},
    StationMessageKind{
        .code = 0x2D, .name = "mouse up", .length = 6, .values = Values::Cell, .replayable = false},
    StationMessageKind{.code = 0x2E, .name = "answer", .length = 6},
    StationMessageKind{.code = 0x33, .name = "media list", .values = Values::FileList},
    StationMessageKind{
        .code = 0x34, .name = "port status", .length = 6, .values = Values::PortStatus},
    StationMessageKind{.code = 0x35, .name = "ack", .length = 4},
    StationMessageKind{.code = 0x41, .name = "media key", .length = 4, .replayable = false},
    StationMessageKind{.code = 0x52, .name = "printer byte", .length = 5, .replayable = false},
    StationMessageKind{.code = 0x55,
                       .name = "mouse double click",
                       .length = 6,
                       .values = Values::Cell,
                       .replayable = false},
};

constexpr std::size_t kValuesOffset = 3;
constexpr std::uint8_t kCarriageReturn = 0x0D;

} // namespace

const StationMessageKind* StationMessageTable::Find(std::uint8_t code) {
    const auto row = std::find_if(kStationMessages.begin(), kStationMessages.end(),
                                  [code](const auto& kind) { return kind.code == code; });
    return row == kStationMessages.end() ? nullptr : &*row;
}

std::optional<std::size_t> StationMessageTable::MessageLength(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kValuesOffset) {
        return std::nullopt;
    }
    const StationMessageKind* kind = bytes[0] == kStx ? Find(bytes[2]) : nullptr;
    if (kind != nullptr && kind->length > 0) {
        return bytes.size() >= kind->length ? std::optional(kind->length) : std::nullopt;
    }
    const auto etx = std::find(bytes.begin() + kValuesOffset, bytes.end(), kEtx);
    if (etx == bytes.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(etx - bytes.begin()) + 1;
}

std::string StationMessageTable::Read(std::span<const std::uint8_t> message) {
    const StationMessageKind* kind =
        message.size() >= 4 && message[0] == kStx ? Find(message[2]) : nullptr;
    if (kind == nullptr) {
        return "unknown";
    }
    const auto values = message.subspan(kValuesOffset, message.size() - kValuesOffset - 1);
    std::string out(kind->name);
    switch (kind->values) {
    case Values::Hex:
        for (const std::uint8_t value : values) {
            out += ' ' + HexText::Byte(value);
        }
        break;
    case Values::Cell:
        if (values.size() == 2) {
            out += " col=" + std::to_string(values[0]) + " row=" + std::to_string(values[1]);
        }
        break;
    case Values::PortStatus:
        if (values.size() == 2) {
            out += (values[0] == 0xFE ? std::string(" printer") : ' ' + std::to_string(values[0])) +
                   ": " + HexText::Byte(values[1]);
        }
        break;
    case Values::FileList: {
        // The list follows a 0 byte; every name ends with a CR.
        const auto names =
            values.empty() ? 0 : std::count(values.begin(), values.end(), kCarriageReturn);
        out += ' ' + std::to_string(names) + (names == 1 ? " name" : " names");
        break;
    }
    }
    return out;
}

} // namespace qx44
