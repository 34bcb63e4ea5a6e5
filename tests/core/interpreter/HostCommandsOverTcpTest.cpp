#include "core/devices/SerialDeviceRouter.h"
#include "core/hostlink/HostLink.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/media/MediaRequests.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/NoPseudoTerminals.h"
#include "support/ReceiveOverTicks.h"
#include "support/RecordingBeeper.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "support/TestUiThread.h"
#include "support/WorkingDirectory.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::ReceiveOverTicks;

template <typename Condition> bool WaitFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

// Holds the receive thread for the whole tone, as the real beeper does, and tells whether the
// tone was cut short.
class HeldTones : public test::RecordingBeeper {
public:
    void Beep(int frequencyHz, std::chrono::milliseconds duration,
              const CancelToken& cancel) override {
        RecordingBeeper::Beep(frequencyHz, duration, cancel);
        endedEarly = cancel.WaitFor(duration);
    }
    std::atomic<bool> endedEarly{false};
};

// The station's core as the main window wires it, with a real host on 127.0.0.1.
class HostCommandsOverTcpTest : public ::testing::Test {
protected:
    void SetUp() override {
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        ASSERT_TRUE(link.StartListening(0));
        host = std::make_unique<test::TcpTestClient>(link.Listener().Port());
        pollfd pfd{link.Listener().Fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
        link.AcceptHost();
    }
    void TearDown() override { CQX44Setting::SetFilePathOverride({}); }

    // A new host in place of the current one.
    void Reconnect() {
        host = std::make_unique<test::TcpTestClient>(link.Listener().Port());
        pollfd pfd{link.Listener().Fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
        link.AcceptHost();
    }

    std::string Text(const CDosScreen& screen, int column, int row, int width) {
        return ScreenDump::Text(screen.Snapshot(), column, row, width, 1);
    }

    test::TempDir dir;
    CConsoleWin screen;
    CVantorBar bar;
    test::TestUiThread ui;
    IHostLinkEvents events;
    test::FakeSerialPorts ports;
    test::NoPseudoTerminals ptys;
    // [Ports] may put the program's own devices behind the fake COM ports.
    SerialDeviceRouter devices{ports, ptys};
    HeldTones beeper;
    CVantorCmd cmd{screen, bar, link, devices, beeper};
    HostLink link{cmd, ui, events, dir.File("tmp.bmp")};
    std::unique_ptr<test::TcpTestClient> host;
};

TEST_F(HostCommandsOverTcpTest, ScreenCommandsReachTheCells) {
    host->Send(Bytes{0x02, 0x01, 0x23, 0x0A, 0x05, 0xD2, 0x00, 0x02, 0x48, 0x69, 0x03});
    ASSERT_TRUE(WaitFor([&] { return Text(screen, 10, 5, 2) == "Hi\n"; }));
    EXPECT_EQ(screen.Snapshot().At(10, 5).attribute, 0xD200);

    host->Send(Bytes{0x02, 0x01, 0x0E, 0x00, 0x00, 0x50, 0x19, 0x41, 0x17, 0x03});
    ASSERT_TRUE(WaitFor([&] { return Text(screen, 0, 24, 80) == std::string(80, 'A') + "\n"; }));
    EXPECT_EQ(screen.Snapshot().At(79, 24).attribute, 0xD2EA);
}

TEST_F(HostCommandsOverTcpTest, RowTwentyFiveIsTheStatusLine) {
    host->Send(Bytes{0x02, 0x01, 0x78, 0x03, 0x19, 0xEA, 0xD7, 0x02, 'S', 'L', 0x03});
    host->Send(Bytes{0x02, 0x01, 0x78, 0x03, 0x18, 0xD2, 0x00, 0x02, 'T', 'S', 0x03});
    ASSERT_TRUE(WaitFor([&] { return Text(screen, 3, 24, 2) == "TS\n"; }));
    EXPECT_EQ(Text(bar, 3, 0, 2), "SL\n");
}

TEST_F(HostCommandsOverTcpTest, IgnoredCodesAreConsumedWhole) {
    EXPECT_TRUE(cmd.IsInfoScreenPending());
    // 0x06 and 0x24 carry bytes that would look like messages if they were cut short.
    host->Send(Bytes{0x02, 0x01, 0x06, 0x02, 0x20, 0x03,             //
                     0x02, 0x01, 0x24, 0x02, 0x01, 0x20, 0x03, 0x03, //
                     0x02, 0x01, 0x20, 0x03,                         //
                     0x02, 0x01, 0x23, 0x00, 0x00, 0xD2, 0x00, 0x01, 'k', 0x03});
    ASSERT_TRUE(WaitFor([&] { return Text(screen, 0, 0, 1) == "k\n"; }));
    EXPECT_FALSE(cmd.IsInfoScreenPending());
}

TEST_F(HostCommandsOverTcpTest, QueriesAreAnsweredOnTheNextTick) {
    host->Send(Bytes{0x02, 0x01, 0x11, 0x03, 0x02, 0x01, 0x2C, 0x03, 0x02, 0x01, 0x2D, 0x00, 0x03});
    ASSERT_TRUE(WaitFor([&] { return !cmd.IsInfoScreenPending(); }));
    const Bytes expected = {0x02, 0x01, 0x14, 0x10, 0x03, 0x02, 0x01, 0x2B,
                            0x01, 0x03, 0x02, 0x01, 0x2E, 0x00, 0x00, 0x03};
    const Bytes received = ReceiveOverTicks(link, *host, expected.size());
    EXPECT_EQ(received, expected);
}

// The receive thread is inside a minute-long beep when its host goes away; the close must not
// wait for the tone, and a host that comes back is answered at once.
TEST_F(HostCommandsOverTcpTest, LongBeepEndsWhenItsConnectionCloses) {
    host->Send(Bytes{0x02, 0x01, 0x10, 0xF0, 0x03});
    ASSERT_TRUE(beeper.WaitForCalls(1));
    EXPECT_EQ(beeper.Calls().front(), (test::RecordingBeeper::Call{2200, 60s}));
    host->Close();

    test::TcpTestClient next(link.Listener().Port());
    pollfd pfd{link.Listener().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
    link.AcceptHost();
    EXPECT_TRUE(beeper.endedEarly) << "replacing the host cancelled the beep";

    next.Send(Bytes{0x02, 0x01, 0x11, 0x03});
    const Bytes reply = ReceiveOverTicks(link, next, 5);
    EXPECT_EQ(test::Hex(reply), "02 01 14 10 03");

    next.Send(Bytes{0x02, 0x01, 0x22, 0xF0, 0x0A, 0x03});
    ASSERT_TRUE(beeper.WaitForCalls(2));
    beeper.endedEarly = false;
    link.CloseAllConnections();
    EXPECT_TRUE(beeper.endedEarly) << "closing the connection cancelled the beep";
    EXPECT_TRUE(next.WaitClosed());
}

TEST_F(HostCommandsOverTcpTest, FloodWhilePainterCopiesCells) {
    // Run under ThreadSanitizer: a painter thread copies the screen while the host floods it.
    std::atomic<bool> stop{false};
    std::atomic<int> copies{0};
    std::thread painter([&] {
        while (!stop.load()) {
            const auto snapshot = screen.Snapshot();
            ASSERT_EQ(snapshot.cells.size(), static_cast<std::size_t>(snapshot.columns) *
                                                 static_cast<std::size_t>(snapshot.rows));
            ++copies;
        }
    });
    Bytes flood;
    for (int i = 0; i < 2000; ++i) {
        const std::uint8_t row = static_cast<std::uint8_t>(i % 25);
        const Bytes text = {0x02, 0x01, 0x23, 0x00, row, 0xD2, 0x00,
                            0x04, 'f',  'l',  'o',  'w', 0x03};
        flood.insert(flood.end(), text.begin(), text.end());
        if (i % 100 == 0) {
            const Bytes mode = {0x02, 0x01, 0x05, static_cast<std::uint8_t>(1 + (i / 100) % 6),
                                0x03};
            flood.insert(flood.end(), mode.begin(), mode.end());
        }
    }
    const Bytes last = {0x02, 0x01, 0x23, 0x00, 0x00, 0xD2, 0x00, 0x03, 'e', 'n', 'd', 0x03};
    flood.insert(flood.end(), last.begin(), last.end());
    // The painter is copying before the flood starts, so the two really overlap.
    ASSERT_TRUE(WaitFor([&] { return copies.load() > 0; }));
    host->Send(flood);
    EXPECT_TRUE(WaitFor([&] { return Text(screen, 0, 0, 4) == "endw\n"; }));
    stop = true;
    painter.join();
}

} // namespace
} // namespace qx44

namespace qx44 {
namespace {

// A host that hangs up in the middle of a minute-long beep: the reset its side answers the
// station's next bytes with cuts the beep short; what it sent before hanging up is still shown,
// and then its connection is closed.
TEST_F(HostCommandsOverTcpTest, HostHangingUpDuringABeepEndsIt) {
    host->Send(Bytes{0x02, 0x01, 0x11, 0x03, 0x02, 0x01, 0x10, 0xF0, 0x03, 0x02, 0x01,
                     0x23, 0x00, 0x00, 0xD2, 0x00, 0x03, 'b',  'y',  'e',  0x03});
    ASSERT_TRUE(beeper.WaitForCalls(1));
    host->Close();
    EXPECT_TRUE(ui.PumpUntil(
        [&] {
            link.OnTimer1Tick();
            return !link.HasHost();
        },
        10s));
    EXPECT_TRUE(beeper.endedEarly);
    EXPECT_EQ(Text(screen, 0, 0, 3), "bye\n");
}

// A host that asks and at once half-closes its connection still reads: each handler runs to its
// end, every answer reaches the host in order before the station closes, and the status blocks a
// check asked the printer for never reach the next host as printer input.
TEST_F(HostCommandsOverTcpTest, HostThatHalfClosesRightAfterAskingGetsEveryAnswer) {
    test::TempDir::WriteText(dir.File("setting.txt"), "[Ports]\nCOM3=printer\n");
    cmd.SetPrinterPortNumber(3);
    cmd.SetUsbPrinterEnabled(true);
    const Bytes query = {0x02, 0x01, 0x11, 0x03};
    const Bytes check = {0x02, 0x01, 0x42, 0xFE, 0x03};
    const struct {
        const char* name;
        std::vector<Bytes> sent;
        std::string answers;
    } cases[] = {
        {"query", {query}, "02 01 14 10 03"},
        {"port query", {{0x02, 0x01, 0x42, 0x07, 0x03}}, "02 01 34 07 00 03"},
        {"printer status check", {check}, "02 01 34 FE 00 03"},
        {"check, then query", {check, query}, "02 01 34 FE 00 03 02 01 14 10 03"},
        {"query, then check", {query, check}, "02 01 14 10 03 02 01 34 FE 00 03"},
        {"quarter-second beep, then query",
         {{0x02, 0x01, 0x10, 0x01, 0x03}, query},
         "02 01 14 10 03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes sent;
        for (const Bytes& message : c.sent) {
            sent.insert(sent.end(), message.begin(), message.end());
        }
        host->Send(sent);
        host->ShutdownSending();
        Bytes answers;
        EXPECT_TRUE(ui.PumpUntil([&] {
            link.OnTimer1Tick();
            const Bytes more = host->Receive(64, 10ms);
            answers.insert(answers.end(), more.begin(), more.end());
            return !link.HasHost();
        }));
        const Bytes rest = host->Receive(64);
        answers.insert(answers.end(), rest.begin(), rest.end());
        EXPECT_EQ(test::Hex(answers), c.answers);
        EXPECT_TRUE(host->WaitClosed());
        EXPECT_FALSE(beeper.endedEarly) << "the half-close cut a beep short";

        // The serial poll, as timer 1 runs it for the next host.
        Reconnect();
        for (int poll = 0; poll < 8; ++poll) {
            cmd.PollSerialPorts();
        }
        link.OnTimer1Tick();
        EXPECT_EQ(test::Hex(host->Receive(64, 300ms)), "") << "stray printer input";
    }
}

} // namespace
} // namespace qx44

namespace qx44 {
namespace {

// A host that asks before the station has even accepted it: the question waits in the socket
// and is read the moment the connection starts, so its reply must already have a way back.
TEST_F(HostCommandsOverTcpTest, QueryBeforeTheAcceptIsAnswered) {
    for (int round = 0; round < 20; ++round) {
        test::TcpTestClient next(link.Listener().Port());
        next.Send(Bytes{0x02, 0x01, 0x11, 0x03});
        pollfd pfd{link.Listener().Fd(), POLLIN, 0};
        ASSERT_EQ(::poll(&pfd, 1, 5000), 1);
        link.AcceptHost();
        const Bytes reply = ReceiveOverTicks(link, next, 5, 20ms);
        ASSERT_EQ(test::Hex(reply), "02 01 14 10 03") << "round " << round;
    }
}

// The requests as the UI thread would get them, each with its own list.
class RecordingMediaSink : public IMediaRequestSink {
public:
    void ClearLocalMode() override { ++localModeCleared; }
    void PostMediaRequest(int request, std::vector<std::string> playList) override {
        std::lock_guard lock(mutex_);
        requests_.emplace_back(request, std::move(playList));
    }
    std::vector<std::pair<int, std::vector<std::string>>> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }
    std::atomic<int> localModeCleared{0};

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<int, std::vector<std::string>>> requests_;
};

TEST_F(HostCommandsOverTcpTest, MediaFileListAndPlayRequests) {
    test::WorkingDirectory inTemp(dir.Path());
    for (const char* name :
         {"a.jpg", "b.avi", "Caf\xC3\xA9.BMP", "snow\xE2\x98\x83.mpg", "c.txt"}) {
        test::TempDir::WriteText(dir.File(name), "x");
    }
    std::filesystem::create_directory(dir.File("folder.avi"));
    host->Send(Bytes{0x02, 0x01, 0x35, 0x03});
    const std::string list = "b.avi\rsnow?.mpg\ra.jpg\rCaf\xE9.BMP\r";
    Bytes expected = {0x02, 0x01, 0x33, 0x00};
    expected.insert(expected.end(), list.begin(), list.end());
    expected.push_back(0x03);
    const Bytes received = ReceiveOverTicks(link, *host, expected.size());
    EXPECT_EQ(test::Hex(received), test::Hex(expected));

    RecordingMediaSink sink;
    cmd.SetMediaRequestSink(&sink);
    const Bytes play = {0x02, 0x03, 0x40, 0,   0,   0,    0,   0,   'a', '.', 'a',  'v',
                        'i',  0x0D, 'C',  'a', 'f', 0xE9, '.', 'j', 'p', 'g', 0x0D, 0x03};
    host->Send(play);
    host->SetNoDelay();
    for (const std::uint8_t byte : play) {
        host->Send(Bytes{byte});
        std::this_thread::sleep_for(1ms); // a slow host: one byte per segment
    }
    host->Send(Bytes{0x02, 0x01, 0x41, 0x03});
    ASSERT_TRUE(WaitFor([&] { return sink.Requests().size() == 3; }));
    const std::vector<std::string> entries = {"a.avi", "Caf\xC3\xA9.jpg", "\x03"};
    const auto requests = sink.Requests();
    EXPECT_EQ(requests[0], std::pair(MediaRequests::kPlay, entries));
    EXPECT_EQ(requests[1], std::pair(MediaRequests::kPlay, entries)) << "sent byte by byte";
    EXPECT_EQ(requests[2], std::pair(MediaRequests::kStop, std::vector<std::string>{}));
    EXPECT_EQ(sink.localModeCleared, 2);
    cmd.SetMediaRequestSink(nullptr);
}

} // namespace
} // namespace qx44
