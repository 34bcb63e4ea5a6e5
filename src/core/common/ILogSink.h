#pragma once

#include <string_view>

namespace qx44 {

// The parts of the station that can say what they do; a user turns each on by name.
enum class LogArea { Host, Framing, Commands, Ports, Settings, Media };

// Where the station's log lines go; the program implements it with its toolkit's logging.
// Called from any thread.
class ILogSink {
public:
    virtual ~ILogSink() = default;
    // Whether notes of this area are wanted; checked before a note's text is built.
    virtual bool IsVerbose(LogArea area) const = 0;
    // Something the station ignored or did on its own, shown only when asked for.
    virtual void Note(LogArea area, std::string_view text) = 0;
    // A failure that stops a function; always shown.
    virtual void Error(LogArea area, std::string_view text) = 0;
};

} // namespace qx44
