#include "ui/media/VideoSurface.h"

#include "ui/media/MpvEngine.h"

#include <QPainter>
#include <QResizeEvent>

namespace qx44 {

VideoSurface::VideoSurface(MpvEngine& engine, QWidget* parent) : QWidget(parent), engine_(engine) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    connect(&engine_, &MpvEngine::FrameReady, this, &VideoSurface::RenderFrame);
}

void VideoSurface::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    frame_ = QImage(event->size(), QImage::Format_RGB32);
    frame_.fill(Qt::black);
    RenderFrame();
}

void VideoSurface::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RenderFrame();
}

void VideoSurface::RenderFrame() {
    // Hidden, the player renders nothing: mpv keeps the latest frame for the next showing.
    if (frame_.isNull() || !isVisible()) {
        return;
    }
    engine_.Render(frame_);
    update();
}

void VideoSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), frame_, event->rect());
}

} // namespace qx44
