#pragma once

#include "core/protocol/HostMessageKind.h"

#include <cstdint>
#include <string>

namespace qx44 {

// Field values the handlers and the trace's readings both interpret.
inline constexpr int kBeepUnitMs = 250;
inline constexpr int kBeepBaseHz = 2000;
inline constexpr int kBeepStepHz = 40;
// Row 25 of command 'x' means the status line.
inline constexpr std::uint8_t kStatusLineRow = 25;
// The port byte of command 'B' that asks for the printer's status.
inline constexpr std::uint8_t kPrinterStatusPort = 0xFE;

// How a trace reads each command's fields, at the offsets its handler reads them. A message
// shorter than its fields (cut by the hand-off area) reads as far as it goes.
class HostCommandFields {
public:
    using Message = HostMessageKind::Message;
    using Context = HostMessageKind::Context;

    static std::string GridMode(Message message, const Context&);
    static std::string ClearWithAttributeValue(Message message, const Context&);
    static std::string Box(Message message, const Context&);
    static std::string LongText(Message message, const Context&);
    static std::string Fill(Message message, const Context&);
    static std::string OutputData(Message message, const Context&);
    static std::string BeepAtPitch(Message message, const Context& context);
    static std::string BeepAtStep(Message message, const Context&);
    static std::string IndexedText(Message message, const Context&);
    static std::string StatusText(Message message, const Context&);
    static std::string ClearWithBackground(Message message, const Context&);
    static std::string Table(Message message, const Context&);
    static std::string PlayList(Message message, const Context&);
    static std::string PortStatus(Message message, const Context&);

    // Printable ASCII as it is, '"' and '\' escaped, every other byte as \xNN, in quotes.
    static std::string Quoted(Message text);
};

} // namespace qx44
