#include "ui/app/TerminalKeyboard.h"

#include "core/settings/CQX44Setting.h"
#include "ui/app/X11KeyRepeat.h"
#include "ui/screen/QtKeyTranslator.h"

#include <QKeyEvent>

namespace qx44 {

namespace {

// Where a POS keyboard's echo device is, if one is attached that way.
std::string EchoDevicePath() {
    return CQX44Setting().ReadString("Ports", "KBPOS", "");
}

} // namespace

TerminalKeyboard::TerminalKeyboard(IHostSender& host, std::uint8_t stationAddress,
                                   IKeyRoutingWindow& window, IVideoPlayerInput& player)
    : devices_(EchoDevicePath()), hardware_(devices_), sender_(host, stationAddress),
      router_(sender_, player, window, keyState_) {
    X11KeyRepeat::MakeDetectable();
    repeater_.SetSettings(X11KeyRepeat::ServerRepeat());
}

void TerminalKeyboard::Start() {
    router_.ClearKeyDownRecord();
    router_.LoadSettings();
}

void TerminalKeyboard::KeyboardLost() {
    repeater_.Stop();
    router_.ForgetHeldKeys();
    sender_.ReleaseHeldKeys();
    keyState_.Clear();
    pressed_.Clear();
}

bool TerminalKeyboard::HandleKeyEvent(const QKeyEvent& event) {
    repeater_.Follow(event);
    return RouteKeyEvent(event);
}

bool TerminalKeyboard::RouteKeyEvent(const QKeyEvent& event) {
    // X11 and Wayland report each repeat as a release and a press; the key stays down, so only
    // the press counts.
    if (event.type() == QEvent::KeyRelease && event.isAutoRepeat()) {
        return true;
    }
    const bool release = event.type() == QEvent::KeyRelease;
    const auto pcKey =
        release ? pressed_.Release(event.nativeScanCode())
                : pressed_.Press(event.nativeScanCode(), keyState_.IsKeyDown(KeyStateTable::kCtrl));
    if (!pcKey) {
        return false;
    }
    const auto key =
        QtKeyTranslator::Translate(event, keyState_.IsKeyDown(KeyStateTable::kAlt), *pcKey);
    if (CKBHardware::IsEcho(key.flags)) {
        if (!key.release) {
            hardware_.NoteEcho();
        }
        return true;
    }
    keyState_.Update(key.key, key.virtualKey, !key.release);
    if (keyState_.IsSystemKey(key.virtualKey)) {
        return false;
    }
    if (key.release) {
        router_.OnKeyUp(key.virtualKey, 1, key.flags);
    } else {
        router_.OnKeyDown(key.virtualKey, 1, key.flags);
    }
    return true;
}

} // namespace qx44
