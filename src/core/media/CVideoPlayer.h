#pragma once

#include "core/common/IClock.h"
#include "core/keyboard/CKeySet.h"
#include "core/keyboard/IKeyboardState.h"
#include "core/keyboard/IVideoPlayerInput.h"
#include "core/media/IMediaEngine.h"
#include "core/media/IVideoPlayerView.h"
#include "core/settings/CVideoKeys.h"

#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// The player that takes the text screen's place while a list of videos and pictures plays: its
// commands, its key sets, zoom, the refresh of its title and sliders, and the slide show that holds
// each picture for a set time. The engine plays, the view shows; both stay with the caller.
class CVideoPlayer : public IVideoPlayerInput, private IMediaEngineEvents {
public:
    enum class Command {
        PlayPause,
        Forward,
        Backward,
        ZoomIn,
        ZoomOut,
        VolumeUp,
        VolumeDown,
        PrevClip,
        NextClip,
        Stop,
    };

    struct Layout {
        PixelRect video;
        PixelRect title;
        // In the view's button order.
        std::array<PixelRect, IVideoPlayerView::kButtonCount> buttons;
        PixelRect zoomSlider;
        PixelRect volumeSlider;
        PixelRect progressSlider;
    };

    static constexpr int kStripHeight = 60;
    static constexpr int kRefreshMs = 500;
    static constexpr int kSlideMs = 1000;
    static constexpr int kDefaultSlideSeconds = 20;
    static constexpr int kZoomSliderMax = 21;
    static constexpr int kVolumeStep = 10;

    CVideoPlayer(IMediaEngine& engine, IVideoPlayerView& view, const IClock& clock,
                 const IKeyboardState& keyboard);
    ~CVideoPlayer() override;

    // The command of the strip's button at `index`, counted from the left.
    static Command ButtonCommand(std::size_t index);
    // Where each part of the player goes inside `client`.
    static Layout ComputeLayout(const PixelRect& client);
    // By the text after the last '.': "JPG", "JPEG", "BMP", "PNG" or "GIF" in any case.
    static bool IsPicture(std::string_view path);

    // Reads both video key groups from the settings and names the buttons after them.
    void LoadKeys();

    void Show(bool visible);
    bool IsShown() const override { return view_.IsPlayerVisible(); }
    void PlayList(const std::vector<std::string>& list, bool resetZoom);
    void ApplyZoom(double zoom);
    double Zoom() const { return zoom_; }

    void SetLocalMode(bool local) { localMode_ = local; }
    bool IsLocalMode() const override { return localMode_; }
    // Seconds a picture stays; zero or less keeps pictures until a key moves on.
    void SetSlideSeconds(int seconds) { slideSeconds_ = seconds > 0 ? seconds : -1; }
    int SlideSeconds() const { return slideSeconds_; }

    // Exit key sets given with a host play list, as the host's key numbers or as virtual keys.
    void SetHostKeys(int a, int b, int c, int d);
    void SetHostKeyCodes(std::uint32_t k1, std::uint32_t k2, std::uint32_t k3, std::uint32_t k4);
    const CKeySet& HostKeySet(int n) const { return n == 1 ? hostKeys1_ : hostKeys2_; }

    int CheckExitKeys(std::uint32_t key, int repeat, std::uint32_t flags) override;
    void HandleKey(std::uint32_t key, int repeat, std::uint32_t flags) override;
    void RunCommand(Command command);

    // The view's timers.
    void Refresh();
    void OnSlideTimer();

    void OnCurrentItemChange() override;
    void UpdateTitle();

    // What the player shows and does, for those who look on from outside.
    std::string Title() const;
    int CurrentIndex() const { return engine_.GetCurrentIndex(); }
    int ItemCount() const { return engine_.GetPlaylistCount(); }
    int PlayState() const { return engine_.GetPlayState(); }
    int Volume() const { return engine_.GetVolume(); }

private:
    void OnStatusChange() override { UpdateTitle(); }
    // Until the engine knows an item's size the zoom cannot place it, so each item is placed
    // again once its size is known.
    void OnImageSizeChange() override { ApplyZoom(zoom_); }

    void PlayPause();
    void Forward();
    void Backward();
    void ChangeVolume(int delta);
    int ListCount() const { return static_cast<int>(list_.size()); }
    bool CurrentIsPicture() const { return IsPicture(engine_.GetSourceUrl()); }
    void SetProgressRange(int maximum);
    void SetZoomSlider() { view_.SetZoomSlider(static_cast<int>(zoom_ * 10)); }

    IMediaEngine& engine_;
    IVideoPlayerView& view_;
    const IClock& clock_;
    const IKeyboardState& keyboard_;

    double zoom_ = 1.0;
    std::vector<std::string> list_;
    int slideSeconds_ = kDefaultSlideSeconds;
    std::optional<std::chrono::milliseconds> slideStart_;
    int progressMax_ = 0;
    // Written by the host's play command on its receive thread.
    std::atomic<bool> localMode_{false};

    // Indexed by Command; the last is the Stop set.
    std::array<CKeySet, 10> keySets_;
    CKeySet hostKeys1_;
    CKeySet hostKeys2_;
};

} // namespace qx44
