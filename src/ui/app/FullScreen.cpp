#include "ui/app/FullScreen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qx44 {

void PlaceFullScreen(QWidget& window) {
    QScreen* screen =
        window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
    window.setWindowFlag(Qt::FramelessWindowHint, true);
    if (screen != nullptr) {
        window.setGeometry(screen->geometry());
        QObject::connect(screen, &QScreen::geometryChanged, &window,
                         [&window](const QRect& geometry) { window.setGeometry(geometry); });
    }
    window.showFullScreen();
}

} // namespace qx44
