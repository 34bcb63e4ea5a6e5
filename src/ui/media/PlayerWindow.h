#pragma once

#include "core/media/IVideoPlayerView.h"
#include "ui/media/VideoSurface.h"

#include <QIcon>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <array>

namespace qx44 {

class CVideoPlayer;
class MpvEngine;

// The player's window over the main window's client area: the video, and below it the title line,
// the ten buttons named after their key sets and the three display-only sliders, on black. It
// shows what the player's logic tells it and hands it the two timers' ticks.
class PlayerWindow : public QWidget, public IVideoPlayerView {
    Q_OBJECT

public:
    PlayerWindow(MpvEngine& engine, QWidget* parent);

    // The logic the timers and buttons call; set once, before the window is shown.
    void SetPlayer(CVideoPlayer* player) { player_ = player; }

    const VideoSurface& Video() const { return video_; }
    QString Title() const { return title_.text(); }
    QString ButtonText(int index) const { return buttons_[index].text(); }
    const QSlider& ProgressSlider() const { return progress_; }
    const QSlider& VolumeSlider() const { return volume_; }
    const QSlider& ZoomSlider() const { return zoom_; }

    void ShowPlayer(bool visible) override;
    bool IsPlayerVisible() const override { return !isHidden(); }
    PixelRect ClientRect() const override;
    void PlaceVideo(const PixelRect& rect) override;
    void SetTitle(const std::string& text) override;
    void SetButtonTexts(const ButtonTexts& texts) override;
    void ShowPauseOnPlayButton(bool pause) override;
    void SetVolumeSlider(int position) override { volume_.setValue(position); }
    void SetZoomSlider(int position) override { zoom_.setValue(position); }
    void SetProgressRange(int maximum) override { progress_.setRange(0, maximum); }
    void SetProgressPosition(int position) override { progress_.setValue(position); }
    void StartTimer(int timer, int periodMs) override;
    void StopTimer(int timer) override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QTimer& TimerFor(int timer) { return timer == kSlideTimer ? slideTimer_ : refreshTimer_; }
    void SetUpSlider(QSlider& slider, int maximum);

    CVideoPlayer* player_ = nullptr;
    VideoSurface video_;
    QLabel title_;
    std::array<QToolButton, kButtonCount> buttons_;
    QSlider volume_;
    QSlider zoom_;
    QSlider progress_;
    // The play button's two pictures, loaded once: the refresh asks for one twice a second.
    QIcon playIcon_;
    QIcon pauseIcon_;
    QTimer refreshTimer_;
    QTimer slideTimer_;
};

} // namespace qx44
