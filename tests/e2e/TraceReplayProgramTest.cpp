#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/FreePort.h"
#include "support/StationProgramHost.h"
#include "support/TempDir.h"

#include <QImage>
#include <QXmlStreamReader>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/wait.h>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

// A silent station on `port` whose COM1 names no device; the settings file's path.
std::string WriteSettings(const test::TempDir& dir, std::uint16_t port) {
    const std::string settings = dir.File("setting.txt");
    test::TempDir::WriteText(settings,
                             "[Net]\nPortNum=" + std::to_string(port) +
                                 "\n[Main]\nBeeping=0\n[Ports]\nCOM1=" + dir.File("none1") + "\n");
    return settings;
}

// A session traced by the running program replays with the built program: status 0 as it is,
// 1 naming the line of a changed reply, 1 naming the cell of a changed screen, 2 for no trace;
// the replay's options without a replay are a mistake.
TEST(TraceReplayProgramTest, TracedSessionReplaysAndNamesWhatChanged) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::string settings = WriteSettings(dir, port);
    const std::string trace = dir.File("host.trace");
    {
        test::ChildProcess station(QX44SIM_PATH,
                                   {"--windowed", "--settings", settings, "--trace", trace},
                                   {"QT_QPA_PLATFORM=offscreen"}, dir.Path());
        auto host = test::ConnectWhenListening(port);
        host->Send(
            Bytes{0x02, 0x01, 0x23, 0x07, 0x07, 0xD2, 0x00, 0x05, 'h', 'e', 'l', 'l', 'o', 0x03});
        host->Send(Bytes{0x02, 0x01, 0x42, 0x01, 0x03});
        EXPECT_EQ(host->Receive(6, 30s), (Bytes{0x02, 0x01, 0x34, 0x01, 0xFF, 0x03}));
        host->Close();
        station.Signal(SIGTERM);
        ASSERT_TRUE(station.WaitForExit(20s).has_value());
    }

    const auto replay = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--settings", settings});
        const std::string out = dir.File("replay.txt");
        test::ChildProcess program(QX44SIM_PATH, arguments, {}, dir.Path(), out);
        const auto status = program.WaitForExit(60s);
        EXPECT_TRUE(status && WIFEXITED(*status));
        return std::pair{status ? WEXITSTATUS(*status) : -1, test::TempDir::ReadText(out)};
    };
    const std::string screen = dir.File("screen.txt");
    auto [status, output] = replay({"--replay", trace, "--dump-screen", screen});
    EXPECT_EQ(status, 0) << output;
    std::string dump = test::TempDir::ReadText(screen);
    EXPECT_NE(dump.find("\n       hello\n"), std::string::npos) << dump;

    const std::string recorded = test::TempDir::ReadText(trace);
    std::string changed = recorded;
    changed.replace(changed.find("S 02 01 34 01 FF 03"), 19, "S 02 01 34 01 00 03");
    test::TempDir::WriteText(dir.File("changed.trace"), changed);
    std::tie(status, output) = replay({"--replay", dir.File("changed.trace")});
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find(": expected S 02 01 34 01 00 03 (port status 1: 00)"), std::string::npos)
        << output;

    dump.replace(dump.find("hello"), 5, "jello");
    test::TempDir::WriteText(screen, dump);
    std::tie(status, output) = replay({"--replay", trace, "--expect-screen", screen});
    EXPECT_EQ(status, 1);
    EXPECT_NE(output.find("text row 7 column 7: expected \"j\", actual \"h\""), std::string::npos)
        << output;

    std::tie(status, output) = replay({"--replay", dir.File("missing.trace")});
    EXPECT_EQ(status, 2) << output;

    for (const std::string option :
         {"--speed", "--expect-screen", "--dump-screen", "--junit", "--artifacts"}) {
        std::tie(status, output) = replay({option, "1"});
        EXPECT_EQ(status, 2) << option;
        EXPECT_EQ(output, "qx44sim: " + option + " needs --replay\nTry 'qx44sim --help'.\n");
    }
}

// What the trace or the replay cannot use ends the program at once with status 2 and says why.
TEST(TraceReplayProgramTest, UnusableTraceOrReplayFileEndsWithStatusTwo) {
    test::TempDir dir;
    test::TempDir::WriteText(dir.File("empty.trace"), "");
    const std::pair<std::vector<std::string>, std::string> kRuns[] = {
        {{"--trace", "/proc/version"}, "qx44sim: the trace /proc/version is not a regular file"},
        {{"--trace", dir.Path()}, "qx44sim: the trace " + dir.Path() + " is not a regular file"},
        {{"--replay", dir.File("empty.trace")}, "empty.trace: the trace has no session"},
        {{"--replay", dir.Path()}, dir.Path() + " holds no host.trace and no case folders"},
        {{"--replay", dir.File("missing") + "/"}, "there is no folder " + dir.File("missing/")},
        {{"--replay", dir.Path(), "--expect-screen", dir.File("empty.trace")},
         "--expect-screen and --dump-screen go with one trace file"},
    };
    for (const auto& [arguments, message] : kRuns) {
        const std::string out = dir.File("out.txt");
        test::ChildProcess program(QX44SIM_PATH, arguments, {"QT_QPA_PLATFORM=offscreen"},
                                   dir.Path(), out);
        const auto status = program.WaitForExit(60s);
        ASSERT_TRUE(status && WIFEXITED(*status)) << arguments.back();
        EXPECT_EQ(WEXITSTATUS(*status), 2) << arguments.back();
        EXPECT_NE(test::TempDir::ReadText(out).find(message), std::string::npos)
            << test::TempDir::ReadText(out);
    }
}

// A JUnit report as a CI server reads it: the suite's counts, and each case's verdict ("" for a
// pass, else failure or error) with its message.
struct JUnitCases {
    std::map<std::string, std::string> suite;
    std::map<std::string, std::pair<std::string, std::string>> cases;
};

JUnitCases ReadJUnit(const std::string& file) {
    JUnitCases read;
    QXmlStreamReader xml(QByteArray::fromStdString(test::TempDir::ReadText(file)));
    std::string current;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement()) {
            continue;
        }
        const auto attribute = [&](const char* name) {
            return xml.attributes().value(name).toString().toStdString();
        };
        if (xml.name() == u"testsuite") {
            for (const char* name : {"tests", "failures", "errors"}) {
                read.suite[name] = attribute(name);
            }
        } else if (xml.name() == u"testcase") {
            current = attribute("name");
            EXPECT_EQ(attribute("classname"), current);
            read.cases[current] = {};
        } else {
            read.cases[current] = {xml.name().toString().toStdString(), attribute("message")};
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return read;
}

// A folder of golden cases replays as CI runs it, each case into a fresh station: the JUnit
// report counts them; a changed expectation is a failure with its first difference and three
// pictures whose diff marks the changed cell; a case folder without a trace or with an
// unreadable expectation is an error of its own; the status is the worst case's.
TEST(TraceReplayProgramTest, FolderOfCasesGivesAJUnitReportAndPicturesOfWhatDiffers) {
    test::TempDir dir;
    const std::string cases = dir.File("cases");
    for (const char* name : {"text", "boxes", "queries"}) {
        std::filesystem::create_directories(cases + "/" + name);
        std::filesystem::copy(std::string(QX44_GOLDEN_DIR) + "/" + name, cases + "/" + name);
    }
    const std::string junit = dir.File("junit.xml");
    const std::string artifacts = dir.File("artifacts");
    const auto replay = [&] {
        const std::string out = dir.File("replay.txt");
        test::ChildProcess program(QX44SIM_PATH,
                                   {"--settings", dir.File("setting.txt"), "--replay", cases,
                                    "--junit", junit, "--artifacts", artifacts},
                                   {}, dir.Path(), out);
        const auto status = program.WaitForExit(60s);
        EXPECT_TRUE(status && WIFEXITED(*status));
        return std::pair{status ? WEXITSTATUS(*status) : -1, test::TempDir::ReadText(out)};
    };
    auto [status, output] = replay();
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("3 cases: 3 match, 0 differ, 0 cannot run\n"), std::string::npos)
        << output;
    JUnitCases report = ReadJUnit(junit);
    EXPECT_EQ(report.suite, (std::map<std::string, std::string>{
                                {"tests", "3"}, {"failures", "0"}, {"errors", "0"}}));
    EXPECT_EQ(report.cases.size(), 3u);
    EXPECT_FALSE(std::filesystem::exists(artifacts));

    const std::string expected = cases + "/text/expected.txt";
    std::string dump = test::TempDir::ReadText(expected);
    dump.replace(dump.find("Top left"), 8, "Top lift");
    test::TempDir::WriteText(expected, dump);
    std::filesystem::create_directories(cases + "/no_trace");
    std::filesystem::create_directories(cases + "/bad_expectation/expected.txt");
    std::filesystem::copy(cases + "/boxes/host.trace", cases + "/bad_expectation/host.trace");
    std::tie(status, output) = replay();
    EXPECT_EQ(status, 2) << output;
    report = ReadJUnit(junit);
    EXPECT_EQ(report.suite, (std::map<std::string, std::string>{
                                {"tests", "5"}, {"failures", "1"}, {"errors", "2"}}));
    using Verdict = std::pair<std::string, std::string>;
    EXPECT_EQ(report.cases["text"],
              Verdict("failure", expected + ": text row 0 column 5: expected \"i\", actual \"e\""));
    EXPECT_EQ(report.cases["no_trace"],
              Verdict("error", "there is no host.trace in " + cases + "/no_trace"));
    EXPECT_EQ(report.cases["bad_expectation"],
              Verdict("error", "cannot read the expected screen " + cases +
                                   "/bad_expectation/expected.txt: Is a directory"));
    EXPECT_EQ(report.cases["boxes"], Verdict());

    const auto picture = [&](const char* name) {
        return QImage(QString::fromStdString(artifacts + "/text/" + name));
    };
    const QImage want = picture("expected.png");
    const QImage have = picture("actual.png");
    const QImage diff = picture("diff.png");
    ASSERT_FALSE(want.isNull() || have.isNull() || diff.isNull());
    ASSERT_EQ(diff.size(), have.size());
    // 960 pixels over 80 columns and 600 over 25 rows: the changed cell is x 60-71, y 0-23.
    const QRect cell(60, 0, 12, 24);
    bool glyphsDiffer = false;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            glyphsDiffer = glyphsDiffer || want.pixel(x, y) != have.pixel(x, y);
            EXPECT_EQ(diff.pixel(x, y), have.pixel(x, y)) << x << "," << y;
        }
    }
    EXPECT_TRUE(glyphsDiffer);
    EXPECT_EQ(diff.pixelColor(cell.left() - 1, 12), QColor(255, 0, 0));
    EXPECT_NE(diff.pixel(480, 300), have.pixel(480, 300)) << "the rest dimmed";
    EXPECT_FALSE(std::filesystem::exists(artifacts + "/boxes"));
}

// A trace file that reaches the file size limit (a full disk as the kernel makes it, EFBIG
// instead of ENOSPC) stops the trace, not the station: one line on stderr says so, the file
// ends with a whole line and replays.
TEST(TraceReplayProgramTest, FullTraceFileStopsTheTraceAndTheStationGoesOn) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::string settings = WriteSettings(dir, port);
    const std::string trace = dir.File("host.trace");
    const std::string out = dir.File("out.txt");
    constexpr std::size_t kLimit = 8192;
    {
        test::ChildProcess station("/usr/bin/prlimit",
                                   {"--fsize=" + std::to_string(kLimit), QX44SIM_PATH, "--windowed",
                                    "--settings", settings, "--trace", trace},
                                   {"QT_QPA_PLATFORM=offscreen"}, dir.Path(), out);
        auto host = test::ConnectWhenListening(port);
        Bytes text = {0x02, 0x01, 0x23, 0x00, 0x00, 0xD2, 0x00, 60};
        text.insert(text.end(), 60, 't');
        text.push_back(0x03);
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (test::TempDir::ReadText(out).find("stopped") == std::string::npos) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << test::TempDir::ReadText(out);
            host->Send(text);
            std::this_thread::sleep_for(10ms);
        }
        test::ExpectAnswered(*host);
        host->Close();
        station.Signal(SIGTERM);
        ASSERT_TRUE(station.WaitForExit(20s).has_value());
    }
    const std::string output = test::TempDir::ReadText(out);
    const std::string stopped = "qx44sim: host: the trace " + trace + " stopped: File too large\n";
    EXPECT_NE(output.find(stopped), std::string::npos) << output;
    EXPECT_EQ(output.find("stopped"), output.rfind("stopped")) << "said once: " << output;
    const std::string recorded = test::TempDir::ReadText(trace);
    ASSERT_FALSE(recorded.empty());
    EXPECT_LE(recorded.size(), kLimit);
    EXPECT_EQ(recorded.back(), '\n');

    const std::string replayed = dir.File("replay.txt");
    test::ChildProcess replay(QX44SIM_PATH, {"--settings", settings, "--replay", trace}, {},
                              dir.Path(), replayed);
    const auto status = replay.WaitForExit(60s);
    ASSERT_TRUE(status && WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0) << test::TempDir::ReadText(replayed);
}

} // namespace
} // namespace qx44
