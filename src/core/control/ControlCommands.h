#pragma once

#include "core/control/ControlReply.h"
#include "core/control/ControlWait.h"
#include "core/control/IControlTarget.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

class IControlStation;
class IScreenMouse;

// The control port's commands that act on the station. Each runs on the UI thread and answers
// with one reply; `wait`, `auth` and `quit` belong to the connection and `state` to the program's
// router, so they are only listed here.
// The program adds its own commands (the devices') by name.
class ControlCommands : public IControlTarget {
public:
    // The rest of the line after the command word and its blanks.
    using Handler = std::function<ControlReply(std::string_view arguments)>;

    // Clicks go to `mouse` as the screen windows report real ones.
    ControlCommands(IControlStation& station, IScreenMouse& mouse);

    // A later command of the same name replaces the earlier one; `usage` is its line in `help`.
    void Register(std::string name, std::string usage, Handler handler);
    ControlReply Run(std::string_view line) override;
    StationProbe Probe() const override;
    // The host port, host and player fields of `state`.
    void AddState(ControlReply& reply) const;

private:
    struct Command {
        std::string name;
        std::string usage;
        Handler handler;
    };

    ControlReply Screen(std::string_view arguments) const;
    ControlReply Status(std::string_view arguments) const;
    ControlReply Cell(std::string_view arguments) const;
    ControlReply Keys(std::string_view arguments, bool press, bool release);
    ControlReply Type(std::string_view arguments);
    ControlReply Click(std::string_view arguments, bool doubleClick);
    ControlReply Snap(std::string_view arguments);
    ControlReply Host(std::string_view arguments) const;
    ControlReply Help(std::string_view arguments) const;
    ControlReply Shutdown(std::string_view arguments);
    ControlReply KeyList(std::string_view arguments) const;
    ControlReply Player(std::string_view arguments) const;

    IControlStation& station_;
    IScreenMouse& mouse_;
    std::vector<Command> commands_;
};

} // namespace qx44
