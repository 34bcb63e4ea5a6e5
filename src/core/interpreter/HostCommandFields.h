#pragma once

#include "core/interpreter/HostCommand.h"

namespace qx44 {

// How a trace reads each command's fields, at the offsets its handler reads them. A message
// shorter than its fields (cut by the hand-off area) reads as far as it goes.
class HostCommandFields {
public:
    using Message = HostCommand::Message;
    using Context = HostCommand::Context;

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
