#pragma once

#include "ui/widgets/IMessageBox.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <mutex>
#include <string>
#include <vector>

namespace qx44::uitest {

// Widgets need an application object; the test program's main() makes it, so it outlives every
// test and goes before Qt's own globals do.
inline void EnsureApplication() { Q_ASSERT(QApplication::instance() != nullptr); }

// Runs the event loop until `done` holds or the deadline passes; returns `done()`.
template <typename Done> bool WaitUntil(Done done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) {
            return done();
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline bool IsColour(const QImage& image, int x, int y, QColor colour) {
    return image.valid(x, y) && image.pixelColor(x, y).rgb() == colour.rgb();
}

// Message boxes written down instead of shown, from any thread.
class RecordingMessageBox : public IMessageBox {
public:
    void ShowStop(const QString& title, const QString& text) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back(title.toStdString() + ": " + text.toStdString());
    }
    void ShowNotice(const QString& text) override {
        std::lock_guard lock(mutex_);
        boxes_.push_back(text.toStdString());
    }
    std::vector<std::string> Boxes() const {
        std::lock_guard lock(mutex_);
        return boxes_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> boxes_;
};

} // namespace qx44::uitest
