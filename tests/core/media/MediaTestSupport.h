#pragma once

#include "core/common/IClock.h"
#include "core/keyboard/KeyboardTestSupport.h"
#include "core/media/CVideoPlayer.h"
#include "core/media/IMediaEngine.h"
#include "core/media/IVideoPlayerView.h"
#include "core/settings/CQX44Setting.h"
#include "support/TempDir.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace qx44::test {

// An engine that plays nothing: it keeps the list, the current item and the settings it is given,
// and logs every action the player asks for.
class FakeMediaEngine : public IMediaEngine {
public:
    void SetEvents(IMediaEngineEvents* events) override { this->events = events; }
    int GetPlayState() const override { return state; }
    void Play() override { Act("play", kPlaying); }
    void Pause() override { Act("pause", kPaused); }
    void Stop() override { Act("stop", kStopped); }
    void Next() override {
        log.push_back("next");
        current = std::min(current + 1, GetPlaylistCount() - 1);
    }
    void Previous() override {
        log.push_back("previous");
        current = std::max(current - 1, 0);
    }
    void FastForward() override { Act("fastForward", kScanForward); }
    void FastReverse() override { Act("fastReverse", kScanReverse); }
    void ReselectCurrent() override { log.push_back("reselect"); }
    double GetPosition() const override { return position; }
    void SetPosition(double seconds) override {
        log.push_back("position " + std::to_string(static_cast<int>(seconds)));
        position = seconds;
    }
    int GetVolume() const override { return volume; }
    void SetVolume(int value) override { volume = std::clamp(value, 0, 100); }
    double GetDuration() const override { return duration; }
    int GetImageWidth() const override { return imageWidth; }
    int GetImageHeight() const override { return imageHeight; }
    std::string GetSourceUrl() const override {
        return current >= 0 && current < GetPlaylistCount() ? items[current] : std::string();
    }
    std::string GetStatus() const override { return status; }
    int GetPlaylistCount() const override { return static_cast<int>(items.size()); }
    void ClearPlaylist() override {
        items.clear();
        current = -1;
    }
    void AppendItem(std::string_view source) override {
        items.emplace_back(source);
        current = std::max(current, 0);
    }
    int GetCurrentIndex() const override { return current; }
    void SetStretchToFit(bool) override {}

    IMediaEngineEvents* events = nullptr;
    std::vector<std::string> log;
    std::vector<std::string> items;
    int current = -1;
    int state = kStopped;
    double position = 0;
    int volume = 50;
    double duration = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    std::string status;

private:
    void Act(const char* what, int newState) {
        log.push_back(what);
        state = newState;
    }
};

class FakePlayerView : public IVideoPlayerView {
public:
    void ShowPlayer(bool show) override { visible = show; }
    bool IsPlayerVisible() const override { return visible; }
    PixelRect ClientRect() const override { return client; }
    void PlaceVideo(const PixelRect& rect) override { video = rect; }
    void SetTitle(const std::string& text) override { title = text; }
    void SetButtonTexts(const ButtonTexts& texts) override { buttons = texts; }
    void ShowPauseOnPlayButton(bool show) override { pause = show; }
    void SetVolumeSlider(int position) override { volumeSlider = position; }
    void SetZoomSlider(int position) override { zoomSlider = position; }
    void SetProgressRange(int maximum) override { progressMax = maximum; }
    void SetProgressPosition(int position) override { progress = position; }
    void StartTimer(int timer, int periodMs) override { timers[timer] = periodMs; }
    void StopTimer(int timer) override { timers.erase(timer); }
    bool Running(int timer) const { return timers.count(timer) != 0; }

    bool visible = false;
    PixelRect client{0, 0, 1024, 768};
    PixelRect video;
    std::string title;
    ButtonTexts buttons;
    bool pause = false;
    int volumeSlider = -1;
    int zoomSlider = -1;
    int progressMax = 0;
    int progress = -1;
    std::map<int, int> timers;
};

class FakeClock : public IClock {
public:
    std::chrono::milliseconds Now() const override { return now; }
    std::chrono::milliseconds now{1'000'000};
};

// A player over fakes, its keys read from `settings` in a settings file of its own.
struct FakePlayer {
    explicit FakePlayer(const std::string& settings = "") {
        TempDir::WriteText(dir.File("setting.txt"), settings);
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        player.LoadKeys();
    }
    ~FakePlayer() { CQX44Setting::SetFilePathOverride({}); }

    TempDir dir;
    FakeMediaEngine engine;
    FakePlayerView view;
    FakeClock clock;
    FakeKeyboardState keyboard;
    CVideoPlayer player{engine, view, clock, keyboard};
};

} // namespace qx44::test
