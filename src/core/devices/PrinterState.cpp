#include "core/devices/PrinterState.h"

#include "core/devices/NameTable.h"

namespace qx44 {

namespace {

constexpr NameTable<PrinterState, 5> kNames({{
    {PrinterState::Ready, "ready"},
    {PrinterState::Offline, "offline"},
    {PrinterState::CoverOpen, "cover-open"},
    {PrinterState::PaperNearEnd, "paper-near-end"},
    {PrinterState::PaperEnd, "paper-end"},
}});

// Byte 0: bit 4 always set, 0x08 off-line, 0x20 cover open; byte 2: 0x03 paper near its end,
// 0x0C paper out.
constexpr std::uint8_t kFixed = 0x10;
constexpr std::uint8_t kOffline = 0x08;
constexpr std::uint8_t kCoverOpen = 0x20;
constexpr std::uint8_t kPaperNearEnd = 0x03;
constexpr std::uint8_t kPaperEnd = 0x0C;

} // namespace

std::optional<PrinterState> ParsePrinterState(std::string_view name) {
    return kNames.Find(name);
}

std::string_view PrinterStateName(PrinterState state) {
    return kNames.NameOf(state);
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
