#include "core/control/ControlServer.h"

#include "core/control/ControlCommands.h"
#include "core/control/ControlRouter.h"
#include "core/control/IControlStation.h"
#include "core/keyboard/KeyNames.h"
#include "core/keyboard/PcKeyTable.h"
#include "core/screen/IScreenMouse.h"
#include "support/ControlClient.h"
#include "support/FreePort.h"
#include "support/TestUiThread.h"

#include <gtest/gtest.h>
#include <mutex>
#include <regex>
#include <set>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;

// A station of 80 x 25 cells showing "hello" at column 3 of row 1; it notes keys and clicks.
class FakeStation : public IControlStation, public IScreenMouse {
public:
    ScreenSnapshot TextScreen() const override {
        ScreenSnapshot screen{80, 25, std::vector<ScreenSnapshot::Cell>(80 * 25), {}};
        for (int i = 0; i < 5; ++i) {
            screen.cells[80 + 3 + i].code = static_cast<std::uint16_t>("hello"[i]);
        }
        return screen;
    }
    ScreenSnapshot StatusLine() const override {
        return {80, 1, std::vector<ScreenSnapshot::Cell>(80), {}};
    }
    HostLinkState HostState() const override {
        std::lock_guard lock(mutex_);
        return {hostConnected, "127.0.0.1"};
    }
    std::optional<int> HostPort() const override { return 9100; }
    PlayerState Player() const override {
        return {.shown = true, .title = "a.mp4", .index = 0, .count = 2, .state = "playing"};
    }
    void InjectKey(const NamedKey& key, bool down) override {
        Note(std::string(key.name) + (down ? "v" : "^"));
    }
    void MouseDown(int column, int row) override { Note(Cell("down", column, row)); }
    void MouseUp(int column, int row) override { Note(Cell("up", column, row)); }
    void MouseDoubleClick(int column, int row) override { Note(Cell("double", column, row)); }
    std::string SavePicture(const std::string&) override { return "cannot write here"; }
    void Shutdown() override { Note("shutdown"); }

    std::string TakeEvents() {
        std::lock_guard lock(mutex_);
        return std::exchange(events_, {});
    }
    void SetHostConnected(bool connected) {
        std::lock_guard lock(mutex_);
        hostConnected = connected;
    }

private:
    static std::string Cell(const char* what, int column, int row) {
        return std::string(what) + "(" + std::to_string(column) + "," + std::to_string(row) + ")";
    }
    void Note(const std::string& event) {
        std::lock_guard lock(mutex_);
        events_ += events_.empty() ? event : " " + event;
    }

    mutable std::mutex mutex_;
    bool hostConnected = false;
    std::string events_;
};

class ControlServerTest : public ::testing::Test {
protected:
    void StartServer(std::string token) {
        commands_.Register("serial", "serial N", [](std::string_view arguments) {
            return ControlReply::Ok().AddText("arguments", arguments);
        });
        server_ = std::make_unique<ControlServer>(commands_, ui_, std::move(token));
        ASSERT_TRUE(server_->Start(port_));
    }
    void TearDown() override {
        server_.reset();
        pump_.request_stop();
    }

    FakeStation station_;
    ControlCommands commands_{station_, station_};
    test::TestUiThread ui_;
    std::uint16_t port_ = test::FreePort();
    std::unique_ptr<ControlServer> server_;
    std::jthread pump_{[this](std::stop_token stop) {
        ui_.PumpUntil([&] { return stop.stop_requested(); }, 120s);
    }};
};

TEST_F(ControlServerTest, AnswersEveryLineWithOneJsonReply) {
    StartServer("");
    test::ControlClient client(port_);
    const struct {
        std::string line;
        std::string reply;
        std::string events;
    } cases[] = {
        {"", R"({"ok":false,"error":"empty line"})", ""},
        {"  \t", R"({"ok":false,"error":"empty line"})", ""},
        {"bogus 1 2", R"({"ok":false,"error":"unknown command bogus; try help"})", ""},
        {std::string("\x01\xff\0junk", 7),
         R"({"ok":false,"error":"unknown command \u0001\u00ff\u0000junk; try help"})", ""},
        {"cell 1", R"({"ok":false,"error":"usage: cell C R"})", ""},
        {"cell 80 0",
         R"({"ok":false,"error":"no such cell: the screen has 80 columns and 25 rows"})", ""},
        {"cell 4 1",
         R"({"ok":true,"column":4,"row":1,"char":"e","code":101,"attr":"0000","fore":"#ffffff","back":"#ffffff","x":4,"y":1,"width":1,"height":1})",
         ""},
        {"cell 2 1",
         R"({"ok":true,"column":2,"row":1,"char":" ","code":0,"attr":"0000","fore":"#ffffff","back":"#ffffff","x":2,"y":1,"width":1,"height":1})",
         ""},
        {"key a F1 kp7", R"({"ok":true})", "av a^ f1v f1^ kp7v kp7^"},
        {"key nosuch", R"({"ok":false,"error":"no key named nosuch; try keys"})", ""},
        {"keydown lshift", R"({"ok":true})", "lshiftv"},
        {"keyup lshift x", R"({"ok":false,"error":"usage: keyup NAME"})", ""},
        {"type A!\r", R"({"ok":true,"typed":2})", "lshiftv av a^ lshift^ lshiftv 1v 1^ lshift^"},
        {"type caf\xC3\xA9", R"({"ok":false,"error":"no US key types byte 0xC3"})", ""},
        {"click 10 5", R"({"ok":true})", "down(10,5) up(10,5)"},
        {"dblclick status 3", R"({"ok":true})", "down(3,255) up(3,0) double(3,255) up(3,0)"},
        {"click status 3 4", R"({"ok":false,"error":"usage: click C R | click status C"})", ""},
        {"snap", R"({"ok":false,"error":"usage: snap FILE"})", ""},
        {"snap x.png", R"({"ok":false,"error":"cannot write here"})", ""},
        {"serial 2 send AB", R"({"ok":true,"arguments":"2 send AB"})", ""},
        {"wait",
         R"({"ok":false,"error":"usage: wait text STRING [SECONDS] | wait gone STRING [SECONDS] | wait any STRING... [SECONDS] | wait regex PATTERN [SECONDS] | wait host [SECONDS] | wait stable MS [SECONDS] | wait ready [SECONDS]"})",
         ""},
        {"wait text",
         R"({"ok":false,"error":"usage: wait text STRING [SECONDS] | wait gone STRING [SECONDS] | wait any STRING... [SECONDS] | wait regex PATTERN [SECONDS] | wait host [SECONDS] | wait stable MS [SECONDS] | wait ready [SECONDS]"})",
         ""},
        {"wait host soon", R"({"ok":false,"error":"SECONDS must be a number of seconds"})", ""},
        {"wait text \"not there\" 0.1", R"({"ok":false,"error":"timeout"})", ""},
        {"wait host 0.1", R"({"ok":false,"error":"timeout"})", ""},
        {"wait soon",
         R"({"ok":false,"error":"wait for what: text, gone, any, regex, host, stable or ready"})",
         ""},
        {"wait regex \"(unclosed\"", R"({"ok":false,"error":"bad pattern: missing ): (unclosed"})",
         ""},
        {"wait regex \"(a*)*b\" 0.1", R"({"ok":false,"error":"timeout"})", ""},
        {"wait regex \"^ {3}h.l+o\"", R"({"ok":true,"waitedMs":N,"matched":"   hello"})", ""},
        {"wait gone hello 0.1", R"({"ok":false,"error":"timeout"})", ""},
        {"wait gone bye", R"({"ok":true,"waitedMs":N})", ""},
        {"wait any bye hello 2", R"({"ok":true,"waitedMs":N,"matched":"hello","index":1})", ""},
        {"wait any", R"({"ok":false,"error":"usage: )" + std::string(ControlWait::kUsage) + R"("})",
         ""},
        {"wait ready", R"({"ok":true,"waitedMs":N})", ""},
        {"player",
         R"({"ok":true,"shown":true,"title":"a.mp4","index":0,"count":2,"state":"playing","zoom":100,"volume":0,"local":false})",
         ""},
        {"state", R"({"ok":false,"error":"unknown command state; try help"})", ""},
        {"shutdown now", R"({"ok":false,"error":"usage: shutdown"})", ""},
    };
    const std::regex waited(R"("waitedMs":[0-9]+)");
    for (const auto& c : cases) {
        EXPECT_EQ(std::regex_replace(client.Ask(c.line), waited, R"("waitedMs":N)"), c.reply)
            << c.line;
        EXPECT_EQ(station_.TakeEvents(), c.events) << c.line;
    }
    EXPECT_TRUE(client.Ask("wait text hello").starts_with(R"({"ok":true,"waitedMs":)"));
    EXPECT_TRUE(client.Ask("wait stable 100 5").starts_with(R"({"ok":true,"waitedMs":)"));
    const std::string help = client.Ask("help");
    for (const char* usage : {"\"screen [attrs]\"", "\"serial N\"", "\"quit\"", "\"auth TOKEN\""}) {
        EXPECT_NE(help.find(usage), std::string::npos) << usage << " missing from " << help;
    }
    EXPECT_EQ(client.Ask("quit"), R"({"ok":true})");
    EXPECT_TRUE(client.WaitClosed());
}

// From the program's start the router answers `state` and parks `wait ready`; other commands
// say the station is starting until the terminal's table is there.
TEST_F(ControlServerTest, RouterAnswersBeforeTheTerminalAndHandsOverToIt) {
    ControlRouter router([this] { station_.Shutdown(); });
    router.SetControlPort(port_);
    ControlServer server(router, ui_, "");
    ASSERT_TRUE(server.Start(port_));
    test::ControlClient client(port_);
    const std::string port = std::to_string(port_);
    EXPECT_EQ(client.Ask("state"), R"({"ok":true,"phase":"boot","controlPort":)" + port +
                                       R"(,"hostPort":null,"hostConnected":false,"player":null})");
    EXPECT_EQ(client.Ask("screen"),
              R"({"ok":false,"error":"the station is starting (boot); try wait ready"})");
    EXPECT_EQ(client.Ask("wait ready 0.1"), R"({"ok":false,"error":"timeout"})");
    EXPECT_NE(client.Ask("help").find(R"("state")"), std::string::npos);

    client.Send("wait ready 10\n");
    ui_.Post([&router, this] {
        router.SetPhase(ControlRouter::Phase::Terminal);
        router.SetTerminal(&commands_);
    });
    const auto ready = client.ReadLine(10s);
    ASSERT_TRUE(ready);
    EXPECT_TRUE(ready->starts_with(R"({"ok":true,"waitedMs":)")) << *ready;
    EXPECT_EQ(
        client.Ask("state"),
        R"({"ok":true,"phase":"terminal","controlPort":)" + port +
            R"(,"hostPort":9100,"hostConnected":false,"player":{"shown":true,"title":"a.mp4","index":0,"count":2,"state":"playing","zoom":100,"volume":0,"local":false}})");
    EXPECT_NE(client.Ask("screen").find(R"("playerCovers":true)"), std::string::npos);
    EXPECT_EQ(client.Ask("shutdown"), R"({"ok":true})");
    EXPECT_EQ(station_.TakeEvents(), "shutdown");
}

// Clients are served side by side: one parked in a wait holds up nobody, one that sends a line
// over 64 KiB is closed while the others go on, and a wait ends when its client stops sending.
TEST_F(ControlServerTest, ServesClientsSideBySide) {
    StartServer("");
    test::ControlClient waiting(port_);
    test::ControlClient hog(port_);
    test::ControlClient gone(port_, true);
    test::ControlClient leaving(port_);
    waiting.Send("wait host 30\n");
    gone.Send("wait text never 30\n");
    gone.Close();
    leaving.Send("wait text never 30\n");
    leaving.ShutdownSending();
    EXPECT_EQ(leaving.ReadLine(10s),
              R"({"ok":false,"error":"wait ended: the client closed its connection"})");
    EXPECT_TRUE(leaving.WaitClosed());
    hog.Send(std::string(100 * 1024, 'x'));
    EXPECT_TRUE(hog.WaitClosed());

    test::ControlClient other(port_);
    EXPECT_EQ(other.Ask("status"), R"({"ok":true,"text":"","attrs":"0000*80"})");
    station_.SetHostConnected(true);
    const auto reply = waiting.ReadLine(20s);
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(reply->starts_with(R"({"ok":true,"waitedMs":)")) << *reply;
    EXPECT_EQ(
        other.Ask("host"),
        R"({"ok":true,"connected":true,"peer":"127.0.0.1","bytesIn":0,"bytesOut":0,"messagesIn":0,"messagesOut":0})");
}

TEST_F(ControlServerTest, WithATokenTheFirstLineMustAuthorise) {
    StartServer("s3cret");
    test::ControlClient stranger(port_);
    EXPECT_EQ(stranger.Ask("screen"), R"({"ok":false,"error":"auth TOKEN must come first"})");
    EXPECT_TRUE(stranger.WaitClosed());
    test::ControlClient guesser(port_);
    guesser.Ask("auth wrong");
    EXPECT_TRUE(guesser.WaitClosed());

    test::ControlClient owner(port_);
    EXPECT_EQ(owner.Ask("auth s3cret"), R"({"ok":true})");
    EXPECT_TRUE(owner.Ask("keys").starts_with(R"({"ok":true,"keys":["esc","f1",)"));
}

// Every key has one name and is a key the key handling knows; the US layout types every
// printable ASCII character.
TEST(KeyNamesTest, NameEveryKeyOfTheKeyboardOnce) {
    std::set<std::string_view> names;
    std::set<std::uint16_t> codes;
    for (const NamedKey& key : KeyNames::All()) {
        names.insert(key.name);
        codes.insert(key.evdev);
        EXPECT_TRUE(PcKeyTable::FromEvdev(key.evdev).has_value()) << key.name;
        EXPECT_EQ(KeyNames::Find(key.name), &key);
    }
    EXPECT_EQ(KeyNames::All().size(), 105u);
    EXPECT_EQ(names.size(), 105u);
    EXPECT_EQ(codes.size(), 105u);
    EXPECT_EQ(KeyNames::Find("PageUp"), KeyNames::Find("pageup"));
    for (char c = ' '; c < 0x7F; ++c) {
        const auto typed = KeyNames::ForCharacter(c);
        ASSERT_TRUE(typed && typed->key != nullptr) << c;
        EXPECT_EQ(typed->shift,
                  std::string_view("~!@#$%^&*()_+{}|:\"<>?").find(c) != std::string_view::npos ||
                      (c >= 'A' && c <= 'Z'))
            << c;
    }
    EXPECT_FALSE(KeyNames::ForCharacter('\x7F').has_value());
}

} // namespace
} // namespace qx44
