// Control port lines, as one client's input, through the command table against a station that
// answers with fixed screens; the connection's own words are handled as the control server
// handles them, and a wait is parked and checked against the station's probes on a clock of
// its own, so nothing waits. Every reply must be one well-formed JSON object on one line,
// starting with "ok", and every wait must end by its deadline.
#include "JsonLine.h"
#include "core/control/ControlArguments.h"
#include "core/control/ControlCommands.h"
#include "core/control/ControlRouter.h"
#include "core/control/ControlServer.h"
#include "core/control/IControlStation.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IScreenMouse.h"

#include <cstdlib>
#include <string>
#include <string_view>

namespace qx44 {
namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Screens drawn once by the real screen code: text with a two-cell character, control codes and
// bytes that are not UTF-8, a table's line pieces; the host link connected from a peer whose
// name is not clean text either. A small grid keeps each dump of the screen cheap.
class FixedStation : public IControlStation, public IScreenMouse {
public:
    FixedStation() {
        CConsoleWin screen;
        screen.SetGridSize(32, 6);
        screen.PutText(3, 0, Bytes("hello"), 0x0F00);
        screen.PutText(0, 1, Bytes("\xE4\xB8\x80 caf\xC3\xA9 \x01\x1B\x7F \xFF\xC3 \"q\" \\"),
                       0xD2EA);
        screen.DrawTable(2, 1, 20, 4, 3, 1, 215, 234, 5);
        screen.FillArea(22, 3, 10, 3, 0xDB, 0x1D2A);
        text_ = screen.Snapshot();
        CVantorBar bar;
        bar.PutText(0, 0, Bytes("status \xC3\xA9\x02"), 0xEA00);
        status_ = bar.Snapshot();
    }

    ScreenSnapshot TextScreen() const override { return text_; }
    ScreenSnapshot StatusLine() const override { return status_; }
    HostLinkState HostState() const override {
        return {true, "10.0.0.7:4000\x01\xFF", 1u << 31, 7, 3, 2};
    }
    std::optional<int> HostPort() const override { return 9100; }
    PlayerState Player() const override {
        return {.shown = true, .title = "clip \xFF\x01.mp4 ( 1/2 )", .index = 0, .count = 2};
    }
    void InjectKey(const NamedKey&, bool) override {}
    // Refused with a text naming the file, which holds whatever bytes the line gave.
    std::string SavePicture(const std::string& path) override {
        return path.starts_with("ok") ? std::string() : "cannot write " + path;
    }
    void Shutdown() override {}
    void MouseDown(int, int) override {}
    void MouseUp(int, int) override {}
    void MouseDoubleClick(int, int) override {}

private:
    ScreenSnapshot text_;
    ScreenSnapshot status_;
};

void CheckReply(const ControlReply& reply) {
    const std::string line = reply.ToLine();
    Check(fuzz::JsonLine::IsReply(line) &&
          line.starts_with(reply.IsOk() ? "{\"ok\":true" : "{\"ok\":false"));
}

// A parked wait, checked as the server checks it: on each probe while it lasts, then at its
// deadline with no probe at all; it must have ended by then.
void RunWait(IControlTarget& commands, std::string_view arguments) {
    const ControlWait::Clock::time_point start{std::chrono::hours(1)};
    auto parsed = ControlWait::Parse(arguments, start);
    if (const auto* error = std::get_if<ControlReply>(&parsed)) {
        Check(!error->IsOk());
        CheckReply(*error);
        return;
    }
    ControlWait& wait = std::get<ControlWait>(parsed);
    // The station's screens never change: one probe serves every wait.
    static const StationProbe probe = commands.Probe();
    for (int k = 0; k < 3; ++k) {
        const auto now = start + k * ControlServer::kProbeInterval;
        if (now > wait.Deadline()) {
            break;
        }
        if (const auto reply = wait.Check(probe, now)) {
            CheckReply(*reply);
            return;
        }
    }
    const auto reply = wait.CheckDeadline(wait.Deadline());
    Check(reply.has_value());
    CheckReply(*reply);
}

} // namespace
} // namespace qx44

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qx44;
    static FixedStation station;
    static ControlCommands terminal(station, station);
    // The program's router in front of the terminal's table, as the control port serves them.
    static ControlRouter commands = [] {
        ControlRouter router([] {});
        router.SetTerminal(&terminal);
        router.SetPhase(ControlRouter::Phase::Terminal);
        return router;
    }();

    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        // Lines as the server cuts them: at each line feed, the last one ended by the input's
        // end, a carriage return before the line feed dropped.
        const std::size_t end = input.find('\n');
        std::string_view line = input.substr(0, end);
        input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
        if (line.size() > ControlServer::kMaxLine) {
            break;
        }
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        // The connection answers auth and quit itself, and quit ends it.
        const auto [command, arguments] = ControlArguments::SplitCommand(line);
        if (command == "quit") {
            break;
        }
        if (command == "wait") {
            RunWait(commands, arguments);
        } else if (command != "auth") {
            CheckReply(commands.Run(line));
        }
    }
    return 0;
}
