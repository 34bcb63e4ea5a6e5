#pragma once

#include "core/common/IUiThread.h"
#include "core/common/SteadyClock.h"
#include "core/keyboard/IKeyRoutingWindow.h"
#include "core/keyboard/KeyRouter.h"
#include "core/keyboard/KeySender.h"
#include "core/keyboard/KeyStateTable.h"
#include "core/media/CVideoPlayer.h"
#include "core/media/IMediaRequestSink.h"
#include "core/media/IMediaWindow.h"
#include "core/media/MediaRequests.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qx44 {

class IHostSender;
class IStationListener;

// The part of a station a person in front of it uses: the key routing from the keyboard to the
// host or the player, and the player that takes the screens' place while a list plays, with the
// media requests that switch between them. The shell hands in the media engine and the player's
// view and keeps them; the key-state table lives here and the shell's keyboard keeps it true.
// UI thread only, except the media request sink, which the receive thread calls.
class StationTerminal : private IKeyRoutingWindow, private IMediaWindow, public IMediaRequestSink {
public:
    StationTerminal(IMediaEngine& engine, IVideoPlayerView& view, IHostSender& host,
                    std::uint8_t stationAddress, IUiThread& ui, IStationListener& listener);
    StationTerminal(const StationTerminal&) = delete;
    StationTerminal& operator=(const StationTerminal&) = delete;

    // At the shell's start: the local-browser shortcuts, a clean key-down record, the slide
    // time and the media switch.
    void LoadSettings();

    // A key the shell's keyboard reported, after the platform's own handling of it.
    void KeyDown(std::uint32_t virtualKey, int repeat, std::uint32_t flags) {
        router_.OnKeyDown(virtualKey, repeat, flags);
    }
    void KeyUp(std::uint32_t virtualKey, int repeat, std::uint32_t flags) {
        router_.OnKeyUp(virtualKey, repeat, flags);
    }
    // The shell lost the keyboard: the host gets the releases it would otherwise never see, and
    // keys held meanwhile no longer count as held.
    void KeyboardLost();
    KeyStateTable& KeyState() { return keyState_; }

    // A new host takes over from whatever the player shows.
    void HostConnected();
    // What the operator picked in the local browser; the host hears nothing of it, and Space
    // alone, besides the Stop key, closes it.
    void PlayLocalSelection(const std::vector<std::string>& playList);

    CVideoPlayer& Player() { return player_; }
    const MediaRequests& Media() const { return media_; }

    void ClearLocalMode() override { player_.SetLocalMode(false); }
    void PostMediaRequest(int request, std::vector<std::string> playList) override;

private:
    void ClosePlayer() override { media_.ClosePlayer(); }
    bool MediaRequest(const std::vector<std::string>* list) override {
        return media_.MediaRequest(list);
    }
    void OpenLocalBrowser() override;
    void HideTerminalScreens() override;
    void ShowTerminalScreens() override;
    void ClearKeyDownRecord() override { router_.ClearKeyDownRecord(); }

    IUiThread& ui_;
    IStationListener& listener_;
    SteadyClock clock_;
    KeyStateTable keyState_;
    KeySender sender_;
    CVideoPlayer player_;
    KeyRouter router_;
    MediaRequests media_;
};

} // namespace qx44
