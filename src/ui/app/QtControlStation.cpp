#include "ui/app/QtControlStation.h"

#include "core/keyboard/KeyNames.h"
#include "core/keyboard/PcKeyTable.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QWidget>

namespace qx44 {

void QtControlStation::InjectKey(const NamedKey& key, bool down) {
    // The keypad's digits type digits, as with Num Lock on; every other key is known by its
    // native scan code alone.
    const int qtKey = key.keypadCharacter == '.' ? Qt::Key_Period
                      : key.keypadCharacter != 0 ? Qt::Key_0 + (key.keypadCharacter - '0')
                                                 : Qt::Key_unknown;
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey,
                    key.keypadCharacter != 0 ? Qt::KeypadModifier : Qt::NoModifier,
                    key.evdev + PcKeyTable::kX11Offset, 0, 0);
    QWidget* target = QApplication::focusWidget();
    QApplication::sendEvent(target != nullptr ? target : &window_, &event);
}

std::string QtControlStation::SavePicture(const std::string& path) {
    if (!Picture().save(QString::fromStdString(path), "PNG")) {
        return "cannot write " + path;
    }
    return {};
}

QImage QtControlStation::Picture() const {
    return window_.grab().toImage();
}

void QtControlStation::EndProgram() {
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

} // namespace qx44
