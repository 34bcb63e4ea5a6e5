#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace qx44 {

// The H and S lines of a trace as TraceWriter writes them: "<ms> H|S <hex bytes> [# reading]".
// Lines that hold only a time and a comment (connection events) or nothing are skipped.
struct TraceLine {
    int number = 0;
    std::int64_t milliseconds = 0;
    char direction = 'H';
    // Counts the "connected" events before the line: the host connection it belongs to.
    int session = 0;
    std::vector<std::uint8_t> bytes;
};

class TraceFile {
public:
    // nullopt with `error` naming the line when a line is not of that form.
    static std::optional<std::vector<TraceLine>> Parse(std::istream& in, std::string& error);
};

} // namespace qx44
