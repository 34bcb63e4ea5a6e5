#pragma once

#include "core/trace/IReplayPictures.h"

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

namespace qx44 {

// `qx44sim --replay PATH...`: replays every case the paths name (ReplayCases), each into a
// fresh station, and ends with the worst status of them all. One trace reports exactly as
// TraceReplay does; several add a count. It writes a JUnit report of the cases and, for each
// case whose screens differ, pictures of what was expected, what came and where they differ.
class ReplaySuite {
public:
    struct Options {
        std::vector<std::string> inputs{};
        double speed = 0;
        // With a single trace only: its expected screens, and where its final screens go.
        std::string expectScreenPath{};
        std::string dumpScreenPath{};
        std::string junitPath{};
        // DIR/CASE/{expected,actual,diff}.png; drawn by `pictures`, which must then be given.
        std::string artifactsPath{};
        IReplayPictures* pictures = nullptr;
        std::chrono::milliseconds settle{std::chrono::seconds(30)};
    };

    ReplaySuite() = delete;

    static int Run(const Options& options, std::ostream& report);
};

} // namespace qx44
