#include "core/station/Station.h"

#include "core/keyboard/KeyNames.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/RecordingBeeper.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "support/TestUiThread.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <poll.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

// A shell that only listens: it has no window, so pictures keep the default answer.
class RecordingShell : public IStationListener {
public:
    void HostConnected(std::string_view peer) override { peers.emplace_back(peer); }
    void InjectKey(const NamedKey& key, bool down) override {
        keys.push_back(std::string(key.name) + (down ? " down" : " up"));
    }
    void Shutdown() override { ++shutdowns; }

    std::vector<std::string> peers;
    std::vector<std::string> keys;
    int shutdowns = 0;
};

class StationTest : public ::testing::Test {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override { CQX44Setting::SetFilePathOverride({}); }

    // The shell's event loop: accepting, posted work and send opportunities, until `done`.
    template <typename Done> bool Serve(Station& station, Done done) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            pollfd pfd{station.Link().Listener().Fd(), POLLIN, 0};
            if (::poll(&pfd, 1, 1) > 0) {
                station.AcceptHost();
            }
            ui.PumpUntil([] { return true; });
            station.OnTimer1();
        }
        return true;
    }

    test::TempDir dir;
    test::TestUiThread ui;
    test::RecordingBeeper beeper;
    RecordingShell shell;
};

// A windowless station over a real TCP host: the host's text and query are handled, its
// arrival redraws the information screen and reaches the shell, and the control commands that
// need a window go to the shell while a click reaches the host.
TEST_F(StationTest, ServesAHostAndHandsTheShellOnlyWhatNeedsAWindow) {
    Station station(StationConfig{.ui = ui, .beeper = beeper, .listener = shell});
    ASSERT_TRUE(station.Listen(0, in_addr{htonl(INADDR_LOOPBACK)}));
    station.ShowStationInfo();
    test::TcpTestClient host(station.Link().Listener().Port());
    ASSERT_TRUE(Serve(station, [&] { return !shell.peers.empty(); }));
    EXPECT_EQ(shell.peers, std::vector<std::string>{"127.0.0.1"});
    EXPECT_NE(station.Dump().find("HOST IP:127.0.0.1"), std::string::npos) << station.Dump();

    host.Send(Bytes{0x02, 0x01, 0x23, 0x0A, 0x05, 0xD7, 0x0F, 0x02, 'H', 'i', 0x03, 0x02, 0x01,
                    0x11, 0x03});
    Bytes answer;
    ASSERT_TRUE(Serve(station, [&] {
        const Bytes more = host.Receive(5, 1ms);
        answer.insert(answer.end(), more.begin(), more.end());
        return answer.size() >= 5;
    }));
    EXPECT_EQ(answer, (Bytes{0x02, 0x01, 0x14, 0x10, 0x03}));
    EXPECT_EQ(ScreenDump::Text(station.TextScreen().Snapshot(), 10, 5, 2, 1), "Hi\n");

    const struct {
        const char* line;
        bool ok;
        std::vector<std::string> keys;
        int shutdowns;
    } cases[] = {
        {"key enter", true, {"enter down", "enter up"}, 0},
        {"snap shot.png", false, {}, 0},
        {"shutdown", true, {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        shell.keys.clear();
        shell.shutdowns = 0;
        EXPECT_EQ(station.Control().Run(c.line).IsOk(), c.ok);
        EXPECT_EQ(shell.keys, c.keys);
        EXPECT_EQ(shell.shutdowns, c.shutdowns);
    }

    ASSERT_TRUE(station.Control().Run("click 3 4").IsOk());
    Bytes clicks;
    ASSERT_TRUE(Serve(station, [&] {
        const Bytes more = host.Receive(64, 1ms);
        clicks.insert(clicks.end(), more.begin(), more.end());
        return clicks.size() >= 6;
    }));
    EXPECT_EQ(Bytes(clicks.begin(), clicks.begin() + 6), (Bytes{0x02, 0x01, 0x2C, 3, 4, 0x03}));
}

} // namespace
} // namespace qx44
