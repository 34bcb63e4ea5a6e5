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
    RenderFrame();
}

void VideoSurface::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RenderFrame();
}

void VideoSurface::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A frame of the player's size is megabytes that a station which never plays would keep.
    frame_ = QImage();
}

void VideoSurface::RenderFrame() {
    // Hidden, the player renders nothing: mpv keeps the latest frame for the next showing.
    if (!isVisible()) {
        return;
    }
    if (frame_.size() != size()) {
        frame_ = QImage(size(), QImage::Format_RGB32);
    }
    engine_.Render(frame_);
    update();
}

void VideoSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), frame_, event->rect());
}

} // namespace qx44
