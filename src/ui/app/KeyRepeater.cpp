#include "ui/app/KeyRepeater.h"

#include <QKeyEvent>

namespace qx44 {

KeyRepeater::KeyRepeater(std::function<void(const QKeyEvent&)> press) : press_(std::move(press)) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Repeat(); });
}

KeyRepeater::~KeyRepeater() = default;

void KeyRepeater::SetSettings(std::optional<Settings> settings) {
    Stop();
    settings_ = std::move(settings);
}

void KeyRepeater::Follow(const QKeyEvent& event) {
    const quint32 code = event.nativeScanCode();
    if (event.type() == QEvent::KeyRelease) {
        if (!event.isAutoRepeat() && held_ && held_->nativeScanCode() == code) {
            Stop();
        }
        return;
    }
    if (event.type() != QEvent::KeyPress) {
        return;
    }
    // Another key going down, or the window system repeating one, ends the repeat.
    Stop();
    if (!settings_ || event.isAutoRepeat() || code >= settings_->repeatedBySystem.size() ||
        settings_->repeatedBySystem.test(code)) {
        return;
    }
    held_ = std::make_unique<QKeyEvent>(QEvent::KeyPress, event.key(), event.modifiers(), code,
                                        event.nativeVirtualKey(), event.nativeModifiers(),
                                        event.text(), true);
    timer_.start(settings_->delay);
}

void KeyRepeater::Stop() {
    timer_.stop();
    held_.reset();
}

void KeyRepeater::Repeat() {
    if (!held_ || !settings_) {
        return;
    }
    timer_.start(settings_->interval);
    // The press may end the repeat (a dialog taking the keyboard), so it gets its own copy.
    const std::unique_ptr<QKeyEvent> repeat(held_->clone());
    press_(*repeat);
}

} // namespace qx44
