#include "core/settings/CQX44Setting.h"
#include "core/trace/ReplayStation.h"
#include "core/trace/TraceReplay.h"
#include "core/trace/TraceWriter.h"
#include "support/Bytes.h"
#include "support/RecordingLog.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

Bytes Picture() {
    // A 1 x 1 24-bit BMP: 54 bytes of headers and one padded row.
    Bytes file = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                  0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,  1, 0, 24, 0};
    file.resize(54, 0);
    file.insert(file.end(), {0, 0, 255, 0});
    return file;
}

// A host session recorded by a traced station, read back, then replayed: the trace names what
// happened, the replay of it matches, and a changed reply or a changed cell is named.
TEST(TraceRoundTripTest, RecordedSessionReadsNaturallyAndReplaysUntilSomethingChanges) {
    test::TempDir dir;
    CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    const std::string tracePath = dir.File("host.trace");
    {
        std::string error;
        auto writer = TraceWriter::Open(tracePath, {.beeperPitch = 2200}, error);
        ASSERT_TRUE(writer) << error;
        ReplayStation station(1ms, *writer);
        ASSERT_TRUE(station.Start());
        {
            test::TcpTestClient host(station.Port());
            Bytes session = {0x02, 0x01, 0x23, 0x0A, 0x05, 0xD7, 0x0F, 0x02, 'H',
                             'i',  0x03, 'z',  'z',  0x02, 0x01, 0x10, 0x04, 0x04,
                             0x02, 0x01, 0x11, 0x03, 0x02, 0x01, 0x33, 0x05, 0x02};
            const Bytes picture = Picture();
            session.insert(session.end(), picture.begin(), picture.end());
            session.insert(session.end(), {0x03, 0x02, 0x01, 0x22, 0x02, 0x0A, 0x03, 0x02, 0x01,
                                           0x42, 0xFE, 0x03, 0x02, 0x01, 0x20});
            host.Send(session);
            EXPECT_EQ(host.Receive(11, 5s),
                      (Bytes{0x02, 0x01, 0x14, 0x10, 0x03, 0x02, 0x01, 0x34, 0xFE, 0xFF, 0x03}));
        }
        ASSERT_TRUE(station.WaitForHostGone(std::chrono::steady_clock::now() + 5s));
        // A second host after the first left its last message unfinished.
        {
            test::TcpTestClient host(station.Port());
            host.Send(Bytes{0x02, 0x01, 0x11, 0x03});
            EXPECT_EQ(host.Receive(5, 5s), (Bytes{0x02, 0x01, 0x14, 0x10, 0x03}));
        }
        ASSERT_TRUE(station.WaitForHostGone(std::chrono::steady_clock::now() + 5s));
    }
    const std::string trace = test::TempDir::ReadText(tracePath);
    const char* const expectedLines[] = {
        R"(^ *\d+ # connected 127\.0\.0\.1:\d+$)",
        R"(^ *\d+ H 02 01 23 0A 05 D7 0F 02 48 69 03 # text col=10 row=5 bg=215 fg=15 "Hi"$)",
        R"(^ *\d+ H 7A 7A # dropped 2 bytes: not in a message$)",
        R"(^ *\d+ H 02 01 10 04 04 # dropped 5 bytes: code 10 should end with ETX at byte 4 but has 04$)",
        R"(^ *\d+ H 02 01 11 03 # query$)",
        R"(^ *\d+ S 02 01 14 10 03 # answer 10$)",
        R"(^ *\d+ H 02 01 33 05 02 42 4D 3A( [0-9A-F]{2}){55} 03 # picture col=5 row=2, file of 58 bytes$)",
        R"(^ *\d+ H 02 01 22 02 0A 03 # beep 500 ms at 2400 Hz$)",
        R"(^ *\d+ H 02 01 42 FE 03 # port status printer$)",
        R"(^ *\d+ S 02 01 34 FE FF 03 # port status printer: FF$)",
        R"(^ *\d+ H 02 01 20 # dropped 3 bytes: message unfinished when the connection closed$)",
        R"(^ *\d+ # closed$)",
        R"(^ *\d+ # connected 127\.0\.0\.1:\d+$)",
        R"(^ *\d+ H 02 01 11 03 # query$)",
        R"(^ *\d+ S 02 01 14 10 03 # answer 10$)",
        R"(^ *\d+ # closed$)",
    };
    std::istringstream lines(trace);
    std::string line;
    for (const char* expected : expectedLines) {
        ASSERT_TRUE(std::getline(lines, line)) << "missing: " << expected << "\n" << trace;
        EXPECT_TRUE(std::regex_match(line, std::regex(expected))) << line << "\n" << expected;
    }

    const std::string dumpPath = dir.File("screen.txt");
    std::ostringstream report;
    ASSERT_EQ(TraceReplay::Run({.tracePath = tracePath, .dumpScreenPath = dumpPath}, report),
              TraceReplay::kMatches)
        << report.str();
    std::string dump = test::TempDir::ReadText(dumpPath);
    EXPECT_NE(dump.find("\n          Hi\n"), std::string::npos) << dump;
    EXPECT_NE(dump.find("\n5 10: D70F*2\n"), std::string::npos) << dump;

    // One reply byte changed: the replay names the reply's line.
    std::string changed = trace;
    changed.replace(changed.find("S 02 01 14 10 03"), 16, "S 02 01 14 11 03");
    test::TempDir::WriteText(tracePath, changed);
    report.str({});
    EXPECT_EQ(TraceReplay::Run({.tracePath = tracePath}, report), TraceReplay::kDiffers);
    EXPECT_NE(report.str().find("line 6: expected S 02 01 14 11 03 (answer 11)"), std::string::npos)
        << report.str();
    EXPECT_NE(report.str().find("actual S 02 01 14 10 03 (answer 10)"), std::string::npos);

    // One cell of the expected screen changed: the replay names the cell.
    test::TempDir::WriteText(tracePath, trace);
    dump.replace(dump.find("Hi"), 2, "Ho");
    test::TempDir::WriteText(dumpPath, dump);
    report.str({});
    EXPECT_EQ(TraceReplay::Run({.tracePath = tracePath, .expectScreenPath = dumpPath}, report),
              TraceReplay::kDiffers);
    EXPECT_NE(report.str().find("text row 5 column 11: expected \"o\", actual \"i\""),
              std::string::npos)
        << report.str();
    CQX44Setting::SetFilePathOverride({});
}

// A trace file that cannot take the lines as fast as they come loses lines, never the station's
// time, and says how many it lost.
TEST(TraceRoundTripTest, FullBufferLeavesLinesOutAndSaysSo) {
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    UniqueFd readEnd(pipeFds[0]);
    UniqueFd writeEnd(pipeFds[1]);
    const int writeFd = writeEnd.Get();
    std::string read;
    std::thread drain;
    {
        TraceWriter writer(std::move(writeEnd), writeFd, "pipe", {}, 4096);
        test::Bytes message = {0x02, 0x01, 0x23, 0, 0, 0xD2, 0, 200};
        message.insert(message.end(), 200, 'x');
        message.push_back(0x03);
        // Nobody reads the pipe yet: the writer is held up once it is full.
        for (int i = 0; i < 2000; ++i) {
            writer.Received(message);
        }
        writer.HostClosed();
        drain = std::thread([&] {
            std::array<char, 65536> chunk{};
            for (ssize_t n; (n = ::read(readEnd.Get(), chunk.data(), chunk.size())) > 0;) {
                read.append(chunk.data(), static_cast<std::size_t>(n));
            }
        });
    }
    // The pipe's writing end went with the writer, so the reader has seen the end.
    drain.join();
    EXPECT_TRUE(std::regex_search(
        read, std::regex(R"(# trace overflow: \d+ records \(\d+ bytes\) left out)")))
        << read.substr(0, 300);
}

} // namespace
} // namespace qx44

namespace qx44 {
namespace {

// A file size limit makes writes fail for real (EFBIG), as a full disk does (ENOSPC), in the
// middle of a line.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        savedSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, savedSignal_);
    }

private:
    rlimit saved_{};
    void (*savedSignal_)(int) = nullptr;
};

TEST(TraceRoundTripTest, FailedWriteStopsTheTraceOnAWholeLineAndSaysSoOnce) {
    test::TempDir dir;
    const std::string path = dir.File("full.trace");
    constexpr std::size_t kLimit = 4000;
    test::RecordingLog log;
    {
        const FileSizeLimit limit(kLimit);
        std::string error;
        auto writer = TraceWriter::Open(path, {}, error);
        ASSERT_TRUE(writer) << error;
        Bytes message = {0x02, 0x01, 0x23, 0, 0, 0xD2, 0, 40};
        message.insert(message.end(), 40, 'x');
        message.push_back(0x03);
        for (int i = 0; i < 200; ++i) {
            writer->Received(message);
        }
    }
    const std::string trace = test::TempDir::ReadText(path);
    EXPECT_FALSE(trace.empty());
    EXPECT_LE(trace.size(), kLimit);
    EXPECT_EQ(trace.back(), '\n') << "the trace ends in a whole line";
    EXPECT_EQ(log.TakeLines(),
              std::vector<std::string>{"the trace " + path + " stopped: File too large"});
}

// Only a plain file takes a trace: devices, folders and kernel files are refused before anything
// is written to them.
TEST(TraceRoundTripTest, TraceGoesOnlyToARegularFile) {
    test::TempDir dir;
    const std::pair<std::string, std::string> kPaths[] = {
        {"/proc/version", "the trace /proc/version is not a regular file"},
        {"/dev/null", "the trace /dev/null is not a regular file"},
        {dir.Path(), "the trace " + dir.Path() + " is not a regular file"},
        {dir.File("no/such.trace"),
         "cannot write the trace " + dir.File("no/such.trace") + ": No such file or directory"},
    };
    for (const auto& [path, message] : kPaths) {
        std::string error;
        EXPECT_EQ(TraceWriter::Open(path, {}, error), nullptr) << path;
        EXPECT_EQ(error, message);
    }
    test::TempDir::WriteText(dir.File("old.trace"), "old lines\n");
    std::string error;
    EXPECT_NE(TraceWriter::Open(dir.File("old.trace"), {}, error), nullptr) << error;
    EXPECT_EQ(test::TempDir::ReadText(dir.File("old.trace")), "") << "an old trace starts anew";
}

// A trace with nothing to replay ends the replay at once; one cut mid-line is replayed up to its
// last whole line (the query cut short is not sent, so no answer is missing from the trace).
TEST(TraceRoundTripTest, ReplayStartsOnlyWithASessionAndStopsBeforeACutLine) {
    test::TempDir dir;
    CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    const std::string session = "      0 # connected 127.0.0.1:5000\n"
                                "      1 H 02 01 23 00 00 D2 00 01 41 03 # text\n";
    const struct {
        const char* name;
        std::string text;
        int status;
        std::string report;
    } kTraces[] = {
        {"empty.trace", "", TraceReplay::kCannotRun, ": the trace has no session\n"},
        {"events.trace", "      0 # connected 127.0.0.1:5000\n      9 # closed\n",
         TraceReplay::kCannotRun, ": the trace has no session\n"},
        {"cut.trace", session + "      2 H 02 01 11 03", TraceReplay::kMatches,
         ": the trace was cut in line 3; it is replayed up to the line before\n"},
    };
    for (const auto& trace : kTraces) {
        const std::string path = dir.File(trace.name);
        test::TempDir::WriteText(path, trace.text);
        std::ostringstream report;
        EXPECT_EQ(TraceReplay::Run({.tracePath = path}, report), trace.status) << report.str();
        EXPECT_TRUE(report.str().starts_with(path + trace.report)) << report.str();
    }
    std::ostringstream report;
    EXPECT_EQ(TraceReplay::Run({.tracePath = dir.Path()}, report), TraceReplay::kCannotRun);
    EXPECT_EQ(report.str(), "cannot read the trace " + dir.Path() + ": Is a directory\n");
    CQX44Setting::SetFilePathOverride({});
}

} // namespace
} // namespace qx44
