#pragma once

#include <span>
#include <string>
#include <vector>

namespace qx44 {

// One trace to replay, with the screens it should leave when there is an expectation.
struct ReplayCase {
    std::string name{};
    std::string tracePath{};
    std::string expectScreenPath{};
    // Why the case cannot run at all (a folder without host.trace); empty otherwise.
    std::string error{};
    bool fromFolder = false;
};

// What `--replay PATH...` names: a trace file is a case of its own (named by its path); a case
// folder holds host.trace and, when its screens are checked, expected.txt (named by the
// folder); a folder without host.trace holds case folders, each one a case, sorted by name.
class ReplayCases {
public:
    static constexpr const char* kTraceFile = "host.trace";
    static constexpr const char* kExpectationFile = "expected.txt";

    ReplayCases() = delete;

    static std::vector<ReplayCase> Collect(std::span<const std::string> paths);
};

} // namespace qx44
