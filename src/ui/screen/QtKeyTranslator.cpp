#include "ui/screen/QtKeyTranslator.h"

#include <QKeyEvent>

namespace qx44 {

namespace {

// With Num Lock on, the keypad types digits; otherwise its keys navigate.
bool TypesDigit(const QKeyEvent& event) {
    const int key = event.key();
    return (key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Period || key == Qt::Key_Comma;
}

} // namespace

std::optional<TranslatedKey> QtKeyTranslator::Translate(const QKeyEvent& event, bool altHeld) {
    const auto key = PcKeyTable::FromNative(event.nativeScanCode());
    if (!key) {
        return std::nullopt;
    }
    return Translate(event, altHeld, *key);
}

TranslatedKey QtKeyTranslator::Translate(const QKeyEvent& event, bool altHeld, const PcKey& key) {
    TranslatedKey translated;
    translated.key = key;
    translated.release = event.type() == QEvent::KeyRelease;
    translated.virtualKey =
        key.navigationKey != 0 && !TypesDigit(event) ? key.navigationKey : key.virtualKey;
    translated.flags = key.scanCode | (key.extended ? 0x100u : 0u);
    if (altHeld) {
        translated.flags |= kAltContextBit;
    }
    if (translated.release || event.isAutoRepeat()) {
        translated.flags |= kPreviousStateBit;
    }
    if (translated.release) {
        translated.flags |= kReleaseBit;
    }
    return translated;
}

} // namespace qx44
