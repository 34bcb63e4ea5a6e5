#pragma once

#include "core/devices/IPseudoTerminalFactory.h"
#include "core/hostlink/CSerialException.h"

#include <cerrno>

namespace qx44::test {

// A machine without pseudo-terminals: a port set to one cannot be opened.
class NoPseudoTerminals : public IPseudoTerminalFactory {
public:
    std::shared_ptr<StandingDevice> OpenPseudoTerminal(int) override {
        throw CSerialException(ENOENT);
    }
};

} // namespace qx44::test
