#include "ui/app/TerminalKeyboard.h"

#include "core/settings/CQX44Setting.h"
#include "core/station/StationTerminal.h"
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

TerminalKeyboard::TerminalKeyboard(StationTerminal& terminal)
    : terminal_(terminal), devices_(EchoDevicePath()), hardware_(devices_) {
    X11KeyRepeat::MakeDetectable();
    repeater_.SetSettings(X11KeyRepeat::ServerRepeat());
}

void TerminalKeyboard::KeyboardLost() {
    repeater_.Stop();
    terminal_.KeyboardLost();
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
    KeyStateTable& keyState = terminal_.KeyState();
    const auto pcKey =
        release ? pressed_.Release(event.nativeScanCode())
                : pressed_.Press(event.nativeScanCode(), keyState.IsKeyDown(KeyStateTable::kCtrl));
    if (!pcKey) {
        return false;
    }
    const auto key =
        QtKeyTranslator::Translate(event, keyState.IsKeyDown(KeyStateTable::kAlt), *pcKey);
    if (CKBHardware::IsEcho(key.flags)) {
        if (!key.release) {
            hardware_.NoteEcho();
        }
        return true;
    }
    keyState.Update(key.key, key.virtualKey, !key.release);
    if (keyState.IsSystemKey(key.virtualKey)) {
        return false;
    }
    if (key.release) {
        terminal_.KeyUp(key.virtualKey, 1, key.flags);
    } else {
        terminal_.KeyDown(key.virtualKey, 1, key.flags);
    }
    return true;
}

} // namespace qx44
