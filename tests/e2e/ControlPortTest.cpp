#include "core/control/ControlReply.h"
#include "core/control/ControlServer.h"
#include "core/screen/CGlobalFunction.h"
#include "core/screen/CVantor256Attr.h"
#include "support/Bytes.h"
#include "support/ControlClient.h"
#include "support/FreePort.h"
#include "support/JsonNumber.h"
#include "support/StationProgramHost.h"

#include <QImage>
#include <gtest/gtest.h>
#include <regex>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::NumberIn;

// A headless station with no display at all, a host and a test script on the control port: the
// script sees what the host drew, and its keys and clicks reach the host as the real ones do.
TEST(ControlPortTest, ScriptDrivesAHeadlessStationBesideItsHost) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::uint16_t controlPort = test::FreePort();
    auto program = test::StartStationProgram(
        QX44SIM_PATH, dir, port, {"--headless", "--control", std::to_string(controlPort)},
        {"QT_QPA_PLATFORM=xcb", "DISPLAY="}, "COM2=virtual\nCOM3=printer\n",
        "[Video]\nTestSources=1\n");
    auto host = test::ConnectWhenListening(port);
    test::ExpectAnswered(*host);
    EXPECT_FALSE(program->HasMapped("libmpv.so")) << "libmpv waits for the first play list";
    auto control = test::ConnectControl(controlPort);

    host->Send(
        Bytes{0x02, 0x01, 0x23, 0x07, 0x07, 0xD2, 0x00, 0x06, 'h', 'e', 'l', 'l', 'o', ' ', 0x03});
    EXPECT_TRUE(control->Ask("wait text hello").starts_with(R"({"ok":true,"waitedMs":)"));
    const std::string screen = control->Ask("screen");
    EXPECT_NE(screen.find(R"(,"       hello )"), std::string::npos) << screen;
    const std::string cell = control->Ask("cell 7 7");
    EXPECT_TRUE(
        cell.starts_with(R"({"ok":true,"column":7,"row":7,"char":"h","code":104,"attr":"D200")"))
        << cell;

    EXPECT_EQ(control->Ask("key a"), R"({"ok":true})");
    EXPECT_EQ(test::Hex(host->Receive(15)), "02 01 11 1C 03 02 01 11 F0 03 02 01 11 1C 03");
    EXPECT_EQ(control->Ask("click 10 5"), R"({"ok":true})");
    EXPECT_EQ(test::Hex(host->Receive(12)), "02 01 2C 0A 05 03 02 01 2D 0A 05 03");

    const std::string snap = dir.File("snap.png");
    EXPECT_EQ(control->Ask("snap " + snap), R"({"ok":true,"file":")" + snap + "\"}");
    const std::string space = control->Ask("cell 12 7");
    const QImage picture(QString::fromStdString(snap));
    ASSERT_FALSE(picture.isNull());
    const QColor shown = picture.pixelColor(NumberIn(space, "x") + NumberIn(space, "width") / 2,
                                            NumberIn(space, "y") + NumberIn(space, "height") / 2);
    const RgbColor drawn = CVantor256Attr::BackColor(CGlobalFunction::MakeAttr(0xD2, 0x00));
    EXPECT_EQ(shown, QColor(drawn.red, drawn.green, drawn.blue));

    const std::string state = control->Ask("host");
    EXPECT_TRUE(state.starts_with(R"({"ok":true,"connected":true,"peer":"127.0.0.1")")) << state;
    EXPECT_EQ(NumberIn(state, "messagesIn"), 2);
    EXPECT_EQ(NumberIn(state, "messagesOut"), 6);
    EXPECT_EQ(NumberIn(state, "bytesOut"), 5 + 15 + 12);

    // The program's own devices answer through the same port.
    EXPECT_EQ(control->Ask("serial 2 send AB"), R"({"ok":true,"port":2,"queued":2})");
    EXPECT_EQ(test::Hex(host->Receive(10)), "02 01 22 41 03 02 01 22 42 03");
    EXPECT_EQ(control->Ask("printer set cover-open").substr(0, 11), R"({"ok":true,)");
    host->Send(Bytes{0x02, 0x01, 0x42, 0xFE, 0x03});
    EXPECT_EQ(test::Hex(host->Receive(6)), "02 01 34 FE FF 03");

    const std::string list = "av://lavfi:testsrc=size=64x48\r";
    Bytes play = {0x02, 0x01, 0x40, 0, 0, 0, 0, 0};
    play.insert(play.end(), list.begin(), list.end());
    play.push_back(0x03);
    host->Send(play);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!program->HasMapped("libmpv.so") && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(program->HasMapped("libmpv.so"));

    EXPECT_EQ(control->Ask("shutdown"), R"({"ok":true})");
    const auto status = program->WaitForExit(20s);
    ASSERT_TRUE(status.has_value()) << "still running after shutdown";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_TRUE(host->WaitClosed());
}

// The control port is there from the program's first moment, during the boot screen; a script
// waits for the terminal instead of polling, and the ready line names the host port the system
// chose.
TEST(ControlPortTest, ControlPortAnswersDuringTheBootScreenAndTheReadyLineNamesThePorts) {
    test::TempDir dir;
    const std::uint16_t controlPort = test::FreePort();
    const std::string output = dir.File("output.txt");
    auto program = test::StartStationProgram(
        QX44SIM_PATH, dir, test::FreePort(),
        {"--headless", "--port", "0", "--control", std::to_string(controlPort)}, {}, {}, {},
        output);
    auto control = test::ConnectControl(controlPort);
    const std::string boot = control->Ask("state");
    EXPECT_TRUE(boot.starts_with(R"({"ok":true,"phase":"boot","controlPort":)" +
                                 std::to_string(controlPort) + R"(,"hostPort":null)"))
        << boot;
    EXPECT_EQ(control->Ask("cell 0 0"),
              R"({"ok":false,"error":"the station is starting (boot); try wait ready"})");
    EXPECT_TRUE(control->Ask("wait ready 20", 25s).starts_with(R"({"ok":true,"waitedMs":)"));

    std::smatch ready;
    const std::string printed = test::TempDir::ReadText(output);
    ASSERT_TRUE(std::regex_search(
        printed, ready,
        std::regex(
            R"(\{"event":"ready","hostPort":([0-9]+),"controlPort":([0-9]+),"pid":([0-9]+)\}\n)")))
        << printed;
    EXPECT_EQ(std::stoi(ready[2]), controlPort);
    EXPECT_EQ(std::stoi(ready[3]), program->Pid());
    const int hostPort = std::stoi(ready[1]);
    EXPECT_EQ(NumberIn(control->Ask("state"), "hostPort"), hostPort);
    auto host = test::ConnectWhenListening(static_cast<std::uint16_t>(hostPort));
    test::ExpectAnswered(*host);
    EXPECT_TRUE(control->Ask("wait regex \"TCP port: " + std::to_string(hostPort) + "\"")
                    .starts_with(R"({"ok":true,"waitedMs":)"));
}

// Whatever a control client sends, it gets an error or is closed, and the host goes on being
// served.
TEST(ControlPortTest, BadControlInputNeverDisturbsTheHost) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::uint16_t controlPort = test::FreePort();
    auto program = test::StartStationProgram(QX44SIM_PATH, dir, port,
                                             {"--control", std::to_string(controlPort)});
    auto host = test::ConnectWhenListening(port);
    test::ExpectAnswered(*host);
    auto control = test::ConnectControl(controlPort);

    auto leaving = test::ConnectControl(controlPort);
    leaving->Send("wait text never 30\n");
    leaving->Close();
    for (const std::string& line :
         {std::string(), std::string("nonsense"), std::string("cell 1 2 3"),
          std::string("\x00\xff\x1b[2J\x80", 7)}) {
        EXPECT_TRUE(control->Ask(line).starts_with(R"({"ok":false,"error":)")) << line;
    }
    test::ExpectAnswered(*host);
    auto hog = test::ConnectControl(controlPort);
    hog->Send(std::string(100 * 1024, 'y') + "\n");
    EXPECT_TRUE(hog->WaitClosed());
    test::ExpectAnswered(*host);
    EXPECT_TRUE(control->Ask("status").starts_with(R"({"ok":true,"text":)"));
}

// With few descriptors (256, a quarter of them for control clients), more scripts than the port
// takes connect, park a day-long wait and leave: the ones over the cap are told and closed, each
// wait ends with its client, and afterwards the host and a new script are served.
TEST(ControlPortTest, ScriptsThatWaitAndLeaveNeverStarveTheStation) {
    constexpr int kLimit = 256;
    constexpr std::size_t kCrowd = 300;
    const std::size_t taken = std::min<std::size_t>(ControlServer::kMaxClients, kLimit / 4);
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::uint16_t controlPort = test::FreePort();
    auto program = test::StartStationProgram(QX44SIM_PATH, dir, port,
                                             {"--control", std::to_string(controlPort)}, {}, {}, {},
                                             {}, kLimit);
    auto host = test::ConnectWhenListening(port);
    test::ExpectAnswered(*host);

    std::vector<std::unique_ptr<test::ControlClient>> crowd;
    try {
        while (crowd.size() < kCrowd) {
            crowd.push_back(std::make_unique<test::ControlClient>(controlPort));
            crowd.back()->Send("wait text never 86400\n");
        }
    } catch (const std::runtime_error&) {
        ADD_FAILURE() << "control client " << crowd.size() + 1 << " could not connect";
    }
    const std::string refusal = ControlReply::Error(ControlServer::kTooManyClients).ToLine();
    std::vector<bool> answered(crowd.size());
    std::size_t refused = 0;
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (refused < kCrowd - taken && std::chrono::steady_clock::now() < deadline) {
        for (std::size_t i = 0; i < crowd.size(); ++i) {
            if (!answered[i]) {
                if (const auto line = crowd[i]->ReadLine(1ms)) {
                    EXPECT_EQ(*line + "\n", refusal);
                    answered[i] = true;
                    ++refused;
                }
            }
        }
    }
    EXPECT_EQ(refused, kCrowd - taken);
    test::ExpectAnswered(*host);
    crowd.clear();

    // The waits end as their clients go, so a new script soon finds room.
    std::string reply;
    for (const auto until = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < until;) {
        auto script = test::ConnectControl(controlPort);
        reply = script->Ask("wait text never 0.1");
        if (reply + "\n" != refusal) {
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_EQ(reply, R"({"ok":false,"error":"timeout"})");
    auto newHost = test::ConnectWhenListening(port);
    test::ExpectAnswered(*newHost);
}

} // namespace
} // namespace qx44
