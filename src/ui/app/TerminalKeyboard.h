#pragma once

#include "core/keyboard/CKBHardware.h"
#include "core/keyboard/PressedKeys.h"
#include "platform/LinuxKeyboardDevices.h"
#include "ui/app/KeyRepeater.h"

class QKeyEvent;

namespace qx44 {

class StationTerminal;

// The terminal's keyboard: Qt key events become virtual keys and flags, the station's key-state
// table follows them, the POS keyboard's echo is noted, system keys stay with the window system,
// and everything else goes to the station's key routing.
class TerminalKeyboard {
public:
    explicit TerminalKeyboard(StationTerminal& terminal);

    // True when the event was the terminal's to handle.
    bool HandleKeyEvent(const QKeyEvent& event);

    // The window lost the keyboard: the host gets the releases it would otherwise never see,
    // and keys held meanwhile no longer count as held.
    void KeyboardLost();
    bool IsKeyboardPresent() { return hardware_.IsKeyboardPresent(); }
    // The keys the window system leaves unrepeated, and its rate; the X server's by default.
    void SetKeyRepeat(std::optional<KeyRepeater::Settings> settings) {
        repeater_.SetSettings(std::move(settings));
    }

private:
    bool RouteKeyEvent(const QKeyEvent& event);

    StationTerminal& terminal_;
    LinuxKeyboardDevices devices_;
    CKBHardware hardware_;
    PressedKeys pressed_;
    KeyRepeater repeater_{[this](const QKeyEvent& repeat) { RouteKeyEvent(repeat); }};
};

} // namespace qx44
