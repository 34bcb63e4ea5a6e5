#include "core/devices/PrinterState.h"

#include <utility>

namespace qx44 {

namespace {

constexpr std::array<std::pair<PrinterState, std::string_view>, 5> kNames = {{
    {PrinterState::Ready, "ready"},
    {PrinterState::Offline, "offline"},
    {PrinterState::CoverOpen, "cover-open"},
    {PrinterState::PaperNearEnd, "paper-near-end"},
    {PrinterState::PaperEnd, "paper-end"},
}};

// Byte 0: bit 4 always set, 0x08 off-line, 0x20 cover open; byte 2: 0x03 paper near its end,
// 0x0C paper out.
constexpr std::uint8_t kFixed = 0x10;
constexpr std::uint8_t kOffline = 0x08;
constexpr std::uint8_t kCoverOpen = 0x20;
constexpr std::uint8_t kPaperNearEnd = 0x03;
constexpr std::uint8_t kPaperEnd = 0x0C;

} // namespace

std::optional<PrinterState> ParsePrinterState(std::string_view name) {
    for (const auto& [state, known] : kNames) {
        if (known == name) {
            return state;
        }
    }
    return std::nullopt;
}

std::string_view PrinterStateName(PrinterState state) {
    for (const auto& [known, name] : kNames) {
        if (known == state) {
            return name;
        }
    }
    return "ready";
}

std::array<std::uint8_t, 4> PrinterStatusBlock(PrinterState state) {
    switch (state) {
    case PrinterState::Ready:
        return {kFixed, 0, 0, 0};
    case PrinterState::Offline:
        return {kFixed | kOffline, 0, 0, 0};
    case PrinterState::CoverOpen:
        return {kFixed | kOffline | kCoverOpen, 0, 0, 0};
    case PrinterState::PaperNearEnd:
        return {kFixed, 0, kPaperNearEnd, 0};
    case PrinterState::PaperEnd:
        return {kFixed | kOffline, 0, kPaperEnd, 0};
    }
    return {kFixed, 0, 0, 0};
}

} // namespace qx44
