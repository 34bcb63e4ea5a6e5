#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qx44 {

// The faults a receipt printer shows on its status panel.
enum class PrinterState { Ready, Offline, CoverOpen, PaperNearEnd, PaperEnd };

// "ready", "offline", "cover-open", "paper-near-end", "paper-end".
std::optional<PrinterState> ParsePrinterState(std::string_view name);
std::string_view PrinterStateName(PrinterState state);
// The four bytes an ESC/POS printer reports its status with. A printer with its cover open or
// out of paper stops printing, so it reports itself off-line as well.
std::array<std::uint8_t, 4> PrinterStatusBlock(PrinterState state);

} // namespace qx44
