#pragma once

#include "core/hostlink/IHostSender.h"
#include "core/keyboard/IKeyboardState.h"
#include "core/keyboard/KeySender.h"
#include "core/protocol/StationMessageTable.h"

#include <bitset>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace qx44::test {

using Log = std::vector<std::string>;

// What the host sees: each key message as its key byte ("E0"), the media key notice as "notice".
class LoggingHost : public IHostSender {
public:
    explicit LoggingHost(Log& log) : log_(log) {}
    void SendToHost(std::span<const std::uint8_t> bytes) override {
        char text[8] = "notice";
        if (bytes.size() == 5 && bytes[2] == StationMessageTable::kKey.code) {
            std::snprintf(text, sizeof text, "%02X", bytes[3]);
        } else if (bytes.size() != 4 || bytes[2] != StationMessageTable::kMediaKey.code) {
            std::snprintf(text, sizeof text, "?");
        }
        log_.emplace_back(text);
    }

private:
    Log& log_;
};

class FakeKeyboardState : public IKeyboardState {
public:
    FakeKeyboardState(std::initializer_list<std::uint8_t> held = {}) {
        for (std::uint8_t vk : held) {
            down.set(vk);
        }
    }
    bool IsKeyDown(std::uint8_t vk) const override { return down.test(vk); }

    std::bitset<256> down;
};

} // namespace qx44::test
