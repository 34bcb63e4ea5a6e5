#pragma once

#include "core/common/PixelRect.h"

#include <array>
#include <string>

namespace qx44 {

// The player's window as the player's logic drives it: the video area, the title line, the
// buttons' texts and the play button's picture, the three display-only sliders and the two
// timers. UI thread only.
class IVideoPlayerView {
public:
    static constexpr int kRefreshTimer = 1;
    static constexpr int kSlideTimer = 2;
    static constexpr int kButtonCount = 10;

    // Button texts in the strip's order: PlayPause, Stop, Backward, Forward, PrevClip, NextClip,
    // ZoomOut, ZoomIn, VolMinus, VolAdd.
    using ButtonTexts = std::array<std::string, kButtonCount>;

    virtual ~IVideoPlayerView() = default;

    virtual void ShowPlayer(bool visible) = 0;
    virtual bool IsPlayerVisible() const = 0;
    // The player window's client area, in its own pixels.
    virtual PixelRect ClientRect() const = 0;
    // Where the video is drawn, inside the client area.
    virtual void PlaceVideo(const PixelRect& rect) = 0;

    virtual void SetTitle(const std::string& text) = 0;
    virtual void SetButtonTexts(const ButtonTexts& texts) = 0;
    // The play button shows "pause" while playing, "play" otherwise.
    virtual void ShowPauseOnPlayButton(bool pause) = 0;

    virtual void SetVolumeSlider(int position) = 0;
    virtual void SetZoomSlider(int position) = 0;
    virtual void SetProgressRange(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;

    // Each running timer calls the player back: kRefreshTimer Refresh(), kSlideTimer
    // OnSlideTimer().
    virtual void StartTimer(int timer, int periodMs) = 0;
    virtual void StopTimer(int timer) = 0;
};

} // namespace qx44
