#include "core/control/ControlCommands.h"

#include "core/control/ControlArguments.h"
#include "core/control/IControlStation.h"
#include "core/keyboard/KeyNames.h"
#include "core/screen/CVantor256Attr.h"
#include "core/screen/IScreenMouse.h"
#include "core/screen/MouseForwarder.h"
#include "core/screen/ScreenDump.h"

#include <algorithm>
#include <cstdio>

namespace qx44 {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos;
         start = end + 1, end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::string ColorText(RgbColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.red, color.green, color.blue);
    return text;
}

ControlReply Usage(std::string_view usage) {
    return ControlReply::Error("usage: " + std::string(usage));
}

// The one or two whole-number words of a cell address on `screen`.
std::optional<std::pair<int, int>> CellOn(const ScreenSnapshot& screen,
                                          const std::vector<std::string>& words) {
    const auto column = ControlArguments::Number(words[0], screen.columns - 1);
    const auto row = words.size() > 1 ? ControlArguments::Number(words[1], screen.rows - 1)
                                      : std::optional<int>(0);
    if (!column || !row) {
        return std::nullopt;
    }
    return std::pair{*column, *row};
}

ControlReply PlayerFields(const PlayerState& player) {
    return ControlReply::Ok()
        .AddBool("shown", player.shown)
        .AddText("title", player.title)
        .AddNumber("index", player.index)
        .AddNumber("count", player.count)
        .AddText("state", player.state)
        .AddNumber("zoom", player.zoom)
        .AddNumber("volume", player.volume)
        .AddBool("local", player.local);
}

ControlReply OffScreen(const ScreenSnapshot& screen) {
    return ControlReply::Error("no such cell: the screen has " + std::to_string(screen.columns) +
                               " columns and " + std::to_string(screen.rows) + " rows");
}

} // namespace

ControlCommands::ControlCommands(IControlStation& station, IScreenMouse& mouse)
    : station_(station), mouse_(mouse) {
    const auto bind = [this](auto method, auto... flags) {
        return [this, method, flags...](std::string_view arguments) {
            return (this->*method)(arguments, flags...);
        };
    };
    commands_ = {
        {"screen", "screen [attrs]", bind(&ControlCommands::Screen)},
        {"status", "status", bind(&ControlCommands::Status)},
        {"cell", "cell C R", bind(&ControlCommands::Cell)},
        {"key", "key NAME...", bind(&ControlCommands::Keys, true, true)},
        {"keydown", "keydown NAME", bind(&ControlCommands::Keys, true, false)},
        {"keyup", "keyup NAME", bind(&ControlCommands::Keys, false, true)},
        {"type", "type TEXT", bind(&ControlCommands::Type)},
        {"keys", "keys", bind(&ControlCommands::KeyList)},
        {"click", "click C R | click status C", bind(&ControlCommands::Click, false)},
        {"dblclick", "dblclick C R | dblclick status C", bind(&ControlCommands::Click, true)},
        {"wait", std::string(ControlWait::kUsage), {}},
        {"snap", "snap FILE", bind(&ControlCommands::Snap)},
        {"host", "host", bind(&ControlCommands::Host)},
        {"player", "player", bind(&ControlCommands::Player)},
        {"state", "state", {}},
        {"help", "help", bind(&ControlCommands::Help)},
        {"auth", "auth TOKEN", {}},
        {"quit", "quit", {}},
        {"shutdown", "shutdown", bind(&ControlCommands::Shutdown)},
    };
}

void ControlCommands::Register(std::string name, std::string usage, Handler handler) {
    const auto same = std::ranges::find(commands_, name, &Command::name);
    if (same != commands_.end()) {
        *same = {std::move(name), std::move(usage), std::move(handler)};
    } else {
        commands_.push_back({std::move(name), std::move(usage), std::move(handler)});
    }
}

ControlReply ControlCommands::Run(std::string_view line) {
    const auto [name, arguments] = ControlArguments::SplitCommand(line);
    if (name.empty()) {
        return ControlReply::Error("empty line");
    }
    const auto command = std::ranges::find(commands_, name, &Command::name);
    if (command == commands_.end() || !command->handler) {
        return ControlReply::Error("unknown command " + std::string(name) + "; try help");
    }
    return command->handler(arguments);
}

StationProbe ControlCommands::Probe() const {
    const ScreenSnapshot screen = station_.TextScreen();
    return {ScreenDump::Text(screen), ScreenDump::Attributes(screen),
            station_.HostState().connected, station_.HostPort().has_value()};
}

void ControlCommands::AddState(ControlReply& reply) const {
    if (const auto port = station_.HostPort()) {
        reply.AddNumber("hostPort", *port);
    } else {
        reply.AddRaw("hostPort", "null");
    }
    reply.AddBool("hostConnected", station_.HostState().connected);
    reply.AddRaw("player", PlayerFields(station_.Player()).Fields());
}

ControlReply ControlCommands::Screen(std::string_view arguments) const {
    const bool attrs = arguments == "attrs";
    if (!arguments.empty() && !attrs) {
        return Usage("screen [attrs]");
    }
    const ScreenSnapshot screen = station_.TextScreen();
    ControlReply reply = ControlReply::Ok();
    reply.AddNumber("columns", screen.columns).AddNumber("rows", screen.rows);
    // The lines are what the host drew, even where the player hides them.
    reply.AddBool("playerCovers", station_.Player().shown);
    reply.AddTextArray("lines", Lines(ScreenDump::Text(screen)));
    if (attrs) {
        reply.AddTextArray("attrs", Lines(ScreenDump::Attributes(screen)));
    }
    return reply;
}

ControlReply ControlCommands::Status(std::string_view arguments) const {
    if (!arguments.empty()) {
        return Usage("status");
    }
    const ScreenSnapshot line = station_.StatusLine();
    return ControlReply::Ok()
        .AddText("text", FirstLine(ScreenDump::Text(line)))
        .AddText("attrs", FirstLine(ScreenDump::Attributes(line)));
}

ControlReply ControlCommands::Cell(std::string_view arguments) const {
    const auto words = ControlArguments::Words(arguments);
    if (!words || words->size() != 2) {
        return Usage("cell C R");
    }
    const ScreenSnapshot screen = station_.TextScreen();
    const auto cell = CellOn(screen, *words);
    if (!cell) {
        return OffScreen(screen);
    }
    const auto [column, row] = *cell;
    const ScreenSnapshot::Cell& at = screen.At(column, row);
    // Where it lies in a picture from `snap`: the text screen fills the window's top left.
    const PixelRect pixels = screen.layout.CellRect(column, row);
    return ControlReply::Ok()
        .AddNumber("column", column)
        .AddNumber("row", row)
        .AddText("char", ScreenDump::CellText(screen, column, row))
        .AddNumber("code", at.code)
        .AddText("attr", FirstLine(ScreenDump::Attributes(screen, column, row, 1, 1)))
        .AddText("fore", ColorText(CVantor256Attr::ForeColor(at.attribute)))
        .AddText("back", ColorText(CVantor256Attr::BackColor(at.attribute)))
        .AddNumber("x", pixels.left)
        .AddNumber("y", pixels.top)
        .AddNumber("width", pixels.Width())
        .AddNumber("height", pixels.Height());
}

ControlReply ControlCommands::Keys(std::string_view arguments, bool press, bool release) {
    const auto words = ControlArguments::Words(arguments);
    const bool one = press != release;
    if (!words || words->empty() || (one && words->size() != 1)) {
        return Usage(one ? (press ? "keydown NAME" : "keyup NAME") : "key NAME...");
    }
    std::vector<const NamedKey*> keys;
    for (const std::string& word : *words) {
        const NamedKey* key = KeyNames::Find(word);
        if (key == nullptr) {
            return ControlReply::Error("no key named " + word + "; try keys");
        }
        keys.push_back(key);
    }
    for (const NamedKey* key : keys) {
        if (press) {
            station_.InjectKey(*key, true);
        }
        if (release) {
            station_.InjectKey(*key, false);
        }
    }
    return ControlReply::Ok();
}

ControlReply ControlCommands::Type(std::string_view arguments) {
    if (arguments.empty()) {
        return Usage("type TEXT");
    }
    std::vector<TypedCharacter> typed;
    for (const char c : arguments) {
        const auto character = KeyNames::ForCharacter(c);
        if (!character) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(c));
            return ControlReply::Error(std::string("no US key types byte ") + code);
        }
        typed.push_back(*character);
    }
    const NamedKey& shift = *KeyNames::Find("lshift");
    for (const TypedCharacter& character : typed) {
        if (character.shift) {
            station_.InjectKey(shift, true);
        }
        station_.InjectKey(*character.key, true);
        station_.InjectKey(*character.key, false);
        if (character.shift) {
            station_.InjectKey(shift, false);
        }
    }
    return ControlReply::Ok().AddNumber("typed", static_cast<std::int64_t>(typed.size()));
}

ControlReply ControlCommands::Click(std::string_view arguments, bool doubleClick) {
    const std::string_view usage =
        doubleClick ? "dblclick C R | dblclick status C" : "click C R | click status C";
    auto words = ControlArguments::Words(arguments);
    if (!words || words->empty()) {
        return Usage(usage);
    }
    const bool onStatus = words->front() == "status";
    if (onStatus) {
        words->erase(words->begin());
    }
    if (words->size() != (onStatus ? 1u : 2u)) {
        return Usage(usage);
    }
    const ScreenSnapshot screen = onStatus ? station_.StatusLine() : station_.TextScreen();
    const auto cell = CellOn(screen, *words);
    if (!cell) {
        return OffScreen(screen);
    }
    // As the mouse reports it: presses on the status line name row 255, releases row 0.
    const auto [column, row] = *cell;
    const int pressRow = onStatus ? MouseForwarder::kOneRowScreenRow : row;
    mouse_.MouseDown(column, pressRow);
    mouse_.MouseUp(column, row);
    if (doubleClick) {
        mouse_.MouseDoubleClick(column, pressRow);
        mouse_.MouseUp(column, row);
    }
    return ControlReply::Ok();
}

ControlReply ControlCommands::Snap(std::string_view arguments) {
    if (arguments.empty()) {
        return Usage("snap FILE");
    }
    const std::string path(arguments);
    const std::string error = station_.SavePicture(path);
    if (!error.empty()) {
        return ControlReply::Error(error);
    }
    return ControlReply::Ok().AddText("file", path);
}

ControlReply ControlCommands::Host(std::string_view arguments) const {
    if (!arguments.empty()) {
        return Usage("host");
    }
    const HostLinkState host = station_.HostState();
    return ControlReply::Ok()
        .AddBool("connected", host.connected)
        .AddText("peer", host.peer)
        .AddNumber("bytesIn", static_cast<std::int64_t>(host.bytesIn))
        .AddNumber("bytesOut", static_cast<std::int64_t>(host.bytesOut))
        .AddNumber("messagesIn", static_cast<std::int64_t>(host.messagesIn))
        .AddNumber("messagesOut", static_cast<std::int64_t>(host.messagesOut));
}

ControlReply ControlCommands::Help(std::string_view) const {
    std::vector<std::string> usages;
    for (const Command& command : commands_) {
        usages.push_back(command.usage);
    }
    return ControlReply::Ok().AddTextArray("commands", usages);
}

ControlReply ControlCommands::Shutdown(std::string_view arguments) {
    if (!arguments.empty()) {
        return Usage("shutdown");
    }
    station_.Shutdown();
    return ControlReply::Ok();
}

ControlReply ControlCommands::Player(std::string_view arguments) const {
    if (!arguments.empty()) {
        return Usage("player");
    }
    return PlayerFields(station_.Player());
}

ControlReply ControlCommands::KeyList(std::string_view) const {
    std::vector<std::string> names;
    for (const NamedKey& key : KeyNames::All()) {
        names.emplace_back(key.name);
    }
    return ControlReply::Ok().AddTextArray("keys", names);
}

} // namespace qx44
