#include "support/Bytes.h"
#include "support/ChildProcess.h"
#include "support/FreePort.h"
#include "support/StationProgramHost.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <regex>
#include <sys/socket.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::ConnectWhenListening;
using test::ExpectAnswered;

bool PortIsFree(std::uint16_t port) {
    UniqueFd probe(::socket(AF_INET, SOCK_STREAM, 0));
    const int on = 1;
    ::setsockopt(probe.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(port);
    return ::bind(probe.Get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
}

// Silent all the while, even where Qt would complain of the session (no XDG_RUNTIME_DIR).
TEST(ProgramOverTcpTest, ServesHostsAndEndsCleanlyOnSigterm) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::string output = dir.File("output.txt");
    auto started = test::StartStationProgram(QX44SIM_PATH, dir, port, {}, {"XDG_RUNTIME_DIR="}, {},
                                             {}, output);
    test::ChildProcess& program = *started;

    auto host = ConnectWhenListening(port);
    host->Send(Bytes{0x02, 0x01, 0x0A, 0x05, 0x05, 0x14, 0x06, 0x1F, 0x03});
    host->Send(
        Bytes{0x02, 0x01, 0x23, 0x07, 0x07, 0xD2, 0x00, 0x05, 'h', 'e', 'l', 'l', 'o', 0x03});
    ExpectAnswered(*host);
    host->Close();

    auto again = ConnectWhenListening(port);
    ExpectAnswered(*again);
    auto replacement = ConnectWhenListening(port);
    EXPECT_TRUE(again->WaitClosed()) << "a new host replaces the old one";
    ExpectAnswered(*replacement);

    program.Signal(SIGTERM);
    const auto status = program.WaitForExit(20s);
    ASSERT_TRUE(status.has_value()) << "still running after SIGTERM";
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    EXPECT_TRUE(replacement->WaitClosed());
    EXPECT_TRUE(PortIsFree(port));
    EXPECT_EQ(test::TempDir::ReadText(output), "");
}

// One station per settings file: a second copy on the same file ends at once and quietly, while
// a station with a settings file of its own runs beside the first.
TEST(ProgramOverTcpTest, OneCopyPerSettingsFile) {
    test::TempDir dir;
    const auto settings = [&](const char* name, std::uint16_t port) {
        test::TempDir::WriteText(dir.File(name), "[Net]\nPortNum=" + std::to_string(port) +
                                                     "\n[Main]\nBeeping=0\n");
        return dir.File(name);
    };
    const std::uint16_t firstPort = test::FreePort();
    const std::string first = settings("first.txt", firstPort);
    const std::vector<std::string> offscreen = {"QT_QPA_PLATFORM=offscreen"};
    test::ChildProcess station(QX44SIM_PATH, {"--windowed", "--settings", first}, offscreen);
    auto host = ConnectWhenListening(firstPort);

    test::ChildProcess second(QX44SIM_PATH, {"--windowed", "--settings", first}, offscreen);
    const auto status = second.WaitForExit(10s);
    ASSERT_TRUE(status.has_value()) << "a second copy on the same settings keeps running";
    EXPECT_TRUE(WIFEXITED(*status));
    EXPECT_EQ(WEXITSTATUS(*status), 0);
    ExpectAnswered(*host);

    const std::uint16_t otherPort = test::FreePort();
    test::ChildProcess beside(
        QX44SIM_PATH, {"--windowed", "--settings", settings("other.txt", otherPort)}, offscreen);
    auto otherHost = ConnectWhenListening(otherPort);
    ExpectAnswered(*otherHost);
    ExpectAnswered(*host);
}

// With -v the station says on stderr what it dropped, ignored or could not open; --version and
// --help answer without a display.
TEST(ProgramOverTcpTest, VerboseLogsWhatTheStationIgnores) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    test::TempDir::WriteText(dir.File("setting.txt"),
                             "[Net]\nPortNum=" + std::to_string(port) +
                                 "\n[Main]\nBeeping=0\nPitch=99999\n[Ports]\nCOM1=" +
                                 dir.File("none1") + "\nCOM2=" + dir.File("none2") + "\n");
    const std::string log = dir.File("log.txt");
    test::ChildProcess program(QX44SIM_PATH,
                               {"--windowed", "-v", "--settings", dir.File("setting.txt")},
                               {"QT_QPA_PLATFORM=offscreen"}, {}, log);
    auto host = ConnectWhenListening(port);
    host->Send(Bytes{'A', 'B', 0x02, 0x01, 0x10, 0x05, 0x04, 0x02, 0x01, 0x20, 0x03});
    ExpectAnswered(*host);

    const std::vector<std::string> expected = {
        "qx44sim: host: host 127.0.0.1 connected",
        "qx44sim: framing: dropped 2 bytes that were not in a message",
        "qx44sim: framing: dropped a message with code 0x10: its byte 4 should be ETX but is 0x04",
        "qx44sim: commands: ignored command code 0x20 (4 bytes)",
        "qx44sim: ports: COM1 cannot be opened: No such file or directory",
        "qx44sim: settings: Main/Pitch=99999 is out of range (37 to 32767)",
        "qx44sim: settings: using " + dir.File("setting.txt"),
    };
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    const auto missing = [&] {
        const std::string text = test::TempDir::ReadText(log);
        for (const auto& line : expected) {
            if (text.find(line + "\n") == std::string::npos) {
                return line;
            }
        }
        return std::string();
    };
    while (!missing().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(missing(), "") << test::TempDir::ReadText(log);

    const auto answer = [&](const char* option) {
        const std::string out = dir.File("answer.txt");
        test::ChildProcess asked(QX44SIM_PATH, {option}, {"QT_QPA_PLATFORM=none"}, {}, out);
        const auto status = asked.WaitForExit(10s);
        EXPECT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << option;
        return test::TempDir::ReadText(out);
    };
    EXPECT_TRUE(answer("--version").starts_with("qx44sim " QX44SIM_VERSION)) << answer("--version");
    const std::string help = answer("--help");
    for (const char* option :
         {"--help", "--version", "--verbose", "--windowed", "--settings", "--headless", "--control",
          "--http", "--trace", "--replay", "--speed", "--expect-screen", "--dump-screen"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option << " missing from --help";
    }
    // The help wraps its lines.
    const std::string words = std::regex_replace(help, std::regex("\\s+"), " ");
    EXPECT_NE(words.find("status 0 when all match, 1 when not, 2 when the replay cannot run"),
              std::string::npos)
        << help;
}

} // namespace
} // namespace qx44
