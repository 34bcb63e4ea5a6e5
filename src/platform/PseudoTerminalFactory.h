#pragma once

#include "core/devices/IPseudoTerminalFactory.h"
#include "platform/PseudoTerminalPort.h"

#include <cstdio>
#include <memory>

namespace qx44 {

// Pseudo-terminals for the ports set to "pty"; each slave path goes to stderr, where whoever
// started the program finds it to attach a device simulator.
class PseudoTerminalFactory : public IPseudoTerminalFactory {
public:
    std::shared_ptr<StandingDevice> OpenPseudoTerminal(int port) override {
        auto terminal = std::make_shared<PseudoTerminalPort>();
        std::fprintf(stderr, "COM%d: %s\n", port, terminal->Path().c_str());
        return terminal;
    }
};

} // namespace qx44
