#include "ui/app/TerminalKeyboard.h"

#include "core/settings/CQX44Setting.h"
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
      router_(sender_, player, window, keyState_) {}

void TerminalKeyboard::Start() {
    router_.ClearKeyDownRecord();
    router_.LoadSettings();
}

bool TerminalKeyboard::HandleKeyEvent(const QKeyEvent& event) {
    const auto key = QtKeyTranslator::Translate(event, keyState_.IsKeyDown(KeyStateTable::kAlt));
    if (!key) {
        return false;
    }
    if (CKBHardware::IsEcho(key->flags)) {
        if (!key->release) {
            hardware_.NoteEcho();
        }
        return true;
    }
    keyState_.Update(key->key, key->virtualKey, !key->release);
    if (keyState_.IsSystemKey(key->virtualKey)) {
        return false;
    }
    if (key->release) {
        router_.OnKeyUp(key->virtualKey, 1, key->flags);
    } else {
        router_.OnKeyDown(key->virtualKey, 1, key->flags);
    }
    return true;
}

} // namespace qx44
