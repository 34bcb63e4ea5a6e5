#pragma once

#include <QImage>
#include <QWidget>

namespace qx44 {

class MpvEngine;

// Where the player's video appears: each new frame of the engine is drawn into an image of the
// widget's size and shown from there. The image exists only while the surface is shown.
class VideoSurface : public QWidget {
    Q_OBJECT

public:
    VideoSurface(MpvEngine& engine, QWidget* parent);

    const QImage& Frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RenderFrame();

    MpvEngine& engine_;
    QImage frame_;
};

} // namespace qx44
