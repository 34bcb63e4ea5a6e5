#pragma once

#include "core/control/IControlTarget.h"

#include <functional>
#include <optional>
#include <string_view>

namespace qx44 {

class ControlCommands;

// The control port for the whole life of the program, from before the boot screen: it answers
// `state` itself and hands every other command to the terminal's table once the terminal is up.
// Until then only `state`, `wait`, `help` and `shutdown` work, and the rest say why not. Called
// on the UI thread only.
class ControlRouter : public IControlTarget {
public:
    enum class Phase { Boot, Setup, Terminal };

    // `shutdown` ends the program while no terminal is there to do it.
    explicit ControlRouter(std::function<void()> shutdown);

    void SetPhase(Phase phase) { phase_ = phase; }
    Phase CurrentPhase() const { return phase_; }
    // The terminal's table, or nullptr once it has gone.
    void SetTerminal(ControlCommands* terminal) { terminal_ = terminal; }
    void SetControlPort(int port) { controlPort_ = port; }

    ControlReply Run(std::string_view line) override;
    StationProbe Probe() const override;

private:
    ControlReply State() const;

    std::function<void()> shutdown_;
    Phase phase_ = Phase::Boot;
    ControlCommands* terminal_ = nullptr;
    std::optional<int> controlPort_;
};

} // namespace qx44
