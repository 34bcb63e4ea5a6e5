#include "core/trace/ReplaySuite.h"

#include "core/common/FileReplacer.h"
#include "core/trace/JUnitReport.h"
#include "core/trace/ReplayCases.h"
#include "core/trace/TraceReplay.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <system_error>

namespace qx44 {

namespace {

// A case's pictures folder: its name as one path component.
std::string ArtifactFolder(const std::string& root, std::string name) {
    std::ranges::replace(name, '/', '_');
    return (std::filesystem::path(root) / name).string();
}

// Draws a case whose screens differ; empty when done, else why not.
std::string DrawPictures(const ReplaySuite::Options& options, const ReplayCase& replayCase,
                         const TraceReplay::Result& result) {
    std::string error;
    const auto expected = ScreenDumpParser::Parse(*result.expectedScreen, error);
    if (!expected) {
        return "cannot draw the expected screen " + replayCase.expectScreenPath + ": " + error;
    }
    const auto actual = ScreenDumpParser::Parse(result.screen, error);
    if (!actual) {
        return "cannot draw the replayed screen: " + error;
    }
    const std::string folder = ArtifactFolder(options.artifactsPath, replayCase.name);
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        return "cannot make the folder " + folder + ": " + made.message();
    }
    return options.pictures->Draw(folder, *expected, *actual);
}

JUnitReport::Verdict VerdictOf(int status) {
    return status == TraceReplay::kMatches   ? JUnitReport::Verdict::Passed
           : status == TraceReplay::kDiffers ? JUnitReport::Verdict::Failed
                                             : JUnitReport::Verdict::Error;
}

} // namespace

int ReplaySuite::Run(const Options& options, std::ostream& report) {
    const std::vector<ReplayCase> cases = ReplayCases::Collect(options.inputs);
    const bool singleTrace = cases.size() == 1 && !cases.front().fromFolder;
    if ((!options.expectScreenPath.empty() || !options.dumpScreenPath.empty()) && !singleTrace) {
        report << "--expect-screen and --dump-screen go with one trace file, not with several "
                  "traces or case folders\n";
        return TraceReplay::kCannotRun;
    }
    int worst = TraceReplay::kMatches;
    std::vector<JUnitReport::Case> outcomes;
    for (const ReplayCase& replayCase : cases) {
        const auto start = std::chrono::steady_clock::now();
        std::ostringstream caseReport;
        TraceReplay::Result result;
        if (!replayCase.error.empty()) {
            caseReport << replayCase.error << "\n";
            result = {.status = TraceReplay::kCannotRun, .error = replayCase.error};
        } else {
            result =
                TraceReplay::Replay({.tracePath = replayCase.tracePath,
                                     .speed = options.speed,
                                     .expectScreenPath = singleTrace ? options.expectScreenPath
                                                                     : replayCase.expectScreenPath,
                                     .dumpScreenPath = options.dumpScreenPath,
                                     .settle = options.settle},
                                    caseReport);
        }
        if (result.screenDiffers && !options.artifactsPath.empty() && options.pictures) {
            if (std::string error = DrawPictures(options, replayCase, result); !error.empty()) {
                caseReport << error << "\n";
                result.error = std::move(error);
                result.status = TraceReplay::kCannotRun;
            }
        }
        report << caseReport.str() << std::flush;
        worst = std::max(worst, result.status);
        const JUnitReport::Verdict verdict = VerdictOf(result.status);
        outcomes.push_back({.name = replayCase.name,
                            .verdict = verdict,
                            .message = verdict == JUnitReport::Verdict::Error ? result.error
                                       : result.differences.empty()           ? std::string()
                                                                    : result.differences.front(),
                            .details = caseReport.str(),
                            .time = std::chrono::steady_clock::now() - start});
    }
    if (cases.size() > 1) {
        const auto count = [&](JUnitReport::Verdict verdict) {
            return std::ranges::count(outcomes, verdict, &JUnitReport::Case::verdict);
        };
        report << cases.size() << " cases: " << count(JUnitReport::Verdict::Passed) << " match, "
               << count(JUnitReport::Verdict::Failed) << " differ, "
               << count(JUnitReport::Verdict::Error) << " cannot run\n";
    }
    if (!options.junitPath.empty() &&
        !FileReplacer::Replace(options.junitPath,
                               JUnitReport::Document("qx44sim replay", outcomes))) {
        report << "cannot write the JUnit report " << options.junitPath << "\n";
        worst = TraceReplay::kCannotRun;
    }
    return worst;
}

} // namespace qx44
