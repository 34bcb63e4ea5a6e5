#pragma once

#include "core/trace/TraceFile.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qx44 {

// `qx44sim --replay`: plays a trace's H lines into a fresh station over a loopback connection,
// compares the replies with its S lines (keys, clicks and serial input left out: a person or a
// device sent those), and compares or writes the final screens.
class TraceReplay {
public:
    static constexpr int kMatches = 0;
    static constexpr int kDiffers = 1;
    static constexpr int kCannotRun = 2;

    struct Options {
        std::string tracePath{};
        // 0 plays as fast as possible; 1 keeps the recorded timing, 2 twice as fast...
        double speed = 0;
        std::string expectScreenPath{};
        std::string dumpScreenPath{};
        // How long the station may take to answer everything once the trace is played.
        std::chrono::milliseconds settle{std::chrono::seconds(30)};
    };

    // What one replay found, for a caller that reports more than the text.
    struct Result {
        int status = kMatches;
        // Each difference as the report states it, in the report's order.
        std::vector<std::string> differences{};
        // Why the replay could not run, when it could not.
        std::string error{};
        // The final screens as a dump, and the expectation when there was one.
        std::string screen{};
        std::optional<std::string> expectedScreen{};
        bool screenDiffers = false;
    };

    // Writes what differs (or a one-line summary) to `report`; returns one of the statuses.
    static int Run(const Options& options, std::ostream& report);
    static Result Replay(const Options& options, std::ostream& report);

    // The replies compared with the trace's S lines: empty when they match, else the first
    // difference naming the trace line.
    static std::string CompareReplies(const std::vector<TraceLine>& lines,
                                      const std::vector<std::uint8_t>& received);

    // Plays the H lines to 127.0.0.1:`port`, half-closes, and returns all the station sent
    // until it closed (or the deadline passed); nullopt when it cannot connect.
    static std::optional<std::vector<std::uint8_t>> Play(const std::vector<TraceLine>& lines,
                                                         std::uint16_t port, double speed,
                                                         std::chrono::milliseconds settle);
};

} // namespace qx44
