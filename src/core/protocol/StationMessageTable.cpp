#include "core/protocol/StationMessageTable.h"

#include "core/common/HexText.h"
#include "core/protocol/FramingBytes.h"
#include "core/protocol/HostCommandFields.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace qx44 {

namespace {

constexpr std::size_t kValuesOffset = 3;
constexpr std::uint8_t kCarriageReturn = 0x0D;

} // namespace

const StationMessageKind* StationMessageTable::Find(std::uint8_t code) {
    const auto row = std::find_if(kRows.begin(), kRows.end(),
                                  [code](const auto& kind) { return kind.code == code; });
    return row == kRows.end() ? nullptr : &*row;
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
            out += (values[0] == kPrinterStatusPort ? std::string(" printer")
                                                    : ' ' + std::to_string(values[0])) +
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
