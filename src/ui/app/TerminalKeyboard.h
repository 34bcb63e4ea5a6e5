#pragma once

#include "core/keyboard/CKBHardware.h"
#include "core/keyboard/IVideoPlayerInput.h"
#include "core/keyboard/KeyRouter.h"
#include "core/keyboard/KeySender.h"
#include "core/keyboard/KeyStateTable.h"
#include "core/keyboard/PressedKeys.h"
#include "platform/LinuxKeyboardDevices.h"
#include "ui/app/KeyRepeater.h"

class QKeyEvent;

namespace qx44 {

class IHostSender;
class IKeyRoutingWindow;

// The terminal's keyboard: Qt key events become virtual keys and flags, the key-state table
// follows them, the POS keyboard's echo is noted, system keys stay with the window system, and
// everything else goes through the key routing to the host.
class TerminalKeyboard {
public:
    // The player is only used once keys arrive, so it may be built after the keyboard.
    TerminalKeyboard(IHostSender& host, std::uint8_t stationAddress, IKeyRoutingWindow& window,
                     IVideoPlayerInput& player);

    // True when the event was the terminal's to handle.
    bool HandleKeyEvent(const QKeyEvent& event);

    // At the main window's start: the local-browser key sets and a clean key-down record.
    void Start();
    void ClearKeyDownRecord() { router_.ClearKeyDownRecord(); }
    // The window lost the keyboard: the host gets the releases it would otherwise never see,
    // and keys held meanwhile no longer count as held.
    void KeyboardLost();
    bool IsKeyboardPresent() { return hardware_.IsKeyboardPresent(); }
    const IKeyboardState& KeyState() const { return keyState_; }
    // For a dialog that takes the keyboard for a while and must keep the table true meanwhile.
    KeyStateTable& TrackedKeyState() { return keyState_; }
    // The keys the window system leaves unrepeated, and its rate; the X server's by default.
    void SetKeyRepeat(std::optional<KeyRepeater::Settings> settings) {
        repeater_.SetSettings(std::move(settings));
    }

private:
    bool RouteKeyEvent(const QKeyEvent& event);

    LinuxKeyboardDevices devices_;
    CKBHardware hardware_;
    KeyStateTable keyState_;
    PressedKeys pressed_;
    KeySender sender_;
    KeyRouter router_;
    KeyRepeater repeater_{[this](const QKeyEvent& repeat) { RouteKeyEvent(repeat); }};
};

} // namespace qx44
