#include "core/settings/CQX44Setting.h"
#include "core/trace/TraceReplay.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace qx44 {
namespace {

// Every folder of tests/golden holds a recorded host session (host.trace) and the screens it
// leaves (expected.txt); scripts/golden.sh writes the expectations anew after a deliberate change.
std::vector<std::string> GoldenCases() {
    std::vector<std::string> cases;
    for (const auto& entry : std::filesystem::directory_iterator(QX44_GOLDEN_DIR)) {
        if (entry.is_directory()) {
            cases.push_back(entry.path().filename().string());
        }
    }
    std::ranges::sort(cases);
    return cases;
}

class GoldenReplayTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenReplayTest, ReplayGivesTheRecordedRepliesAndTheExpectedScreens) {
    test::TempDir dir;
    // The default settings: station address 1, as the sessions were recorded.
    CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    const std::string folder = std::string(QX44_GOLDEN_DIR) + "/" + GetParam();
    std::ostringstream report;
    EXPECT_EQ(TraceReplay::Run({.tracePath = folder + "/host.trace",
                                .expectScreenPath = folder + "/expected.txt"},
                               report),
              TraceReplay::kMatches)
        << report.str();
    CQX44Setting::SetFilePathOverride({});
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenReplayTest, ::testing::ValuesIn(GoldenCases()),
                         [](const auto& info) { return info.param; });

} // namespace
} // namespace qx44
