#pragma once

#include "core/common/ILogSink.h"

#include <string>

namespace qx44 {

// The station's one log, silent until the program gives it a sink. Notes take a function that
// builds their text, so a quiet station builds no text on its busy paths.
class Log {
public:
    static void SetSink(ILogSink* sink);

    static bool IsVerbose(LogArea area);

    template <typename MakeText> static void Note(LogArea area, MakeText&& makeText) {
        if (ILogSink* sink = Sink(); sink != nullptr && sink->IsVerbose(area)) {
            sink->Note(area, makeText());
        }
    }
    static void Error(LogArea area, std::string_view text);

    // "0x0F": how codes and bytes appear in every line.
    static std::string Hex(unsigned value);

private:
    static ILogSink* Sink();
};

} // namespace qx44
