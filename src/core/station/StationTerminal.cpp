#include "core/station/StationTerminal.h"

#include "core/settings/CQX44Setting.h"
#include "core/station/IStationListener.h"

namespace qx44 {

StationTerminal::StationTerminal(IMediaEngine& engine, IVideoPlayerView& view, IHostSender& host,
                                 std::uint8_t stationAddress, IUiThread& ui,
                                 IStationListener& listener)
    : ui_(ui), listener_(listener), sender_(host, stationAddress),
      player_(engine, view, clock_, keyState_), router_(sender_, player_, *this, keyState_),
      media_(player_, *this) {
    player_.LoadKeys();
}

void StationTerminal::LoadSettings() {
    router_.ClearKeyDownRecord();
    router_.LoadSettings();
    const CQX44Setting settings;
    player_.SetSlideSeconds(settings.GetAuto() ? settings.GetAtSecs() : -1);
    media_.SetMediaSwitch(settings.GetEnVideo());
}

void StationTerminal::KeyboardLost() {
    router_.ForgetHeldKeys();
    sender_.ReleaseHeldKeys();
    keyState_.Clear();
}

void StationTerminal::HostConnected() {
    if (player_.IsShown()) {
        ClosePlayer();
    }
}

void StationTerminal::PlayLocalSelection(const std::vector<std::string>& playList) {
    if (playList.empty()) {
        return;
    }
    MediaRequest(&playList);
    player_.SetLocalMode(true);
    player_.SetHostKeyCodes(' ', 0, 0, 0);
}

void StationTerminal::PostMediaRequest(int request, std::vector<std::string> playList) {
    ui_.Post([this, request, list = std::move(playList)] { media_.OnMediaRequest(request, list); });
}

void StationTerminal::OpenLocalBrowser() {
    listener_.OpenLocalBrowser();
}

void StationTerminal::HideTerminalScreens() {
    listener_.HideTerminalScreens();
}

void StationTerminal::ShowTerminalScreens() {
    listener_.ShowTerminalScreens();
}

} // namespace qx44
