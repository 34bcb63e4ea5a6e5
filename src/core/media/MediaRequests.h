#pragma once

#include "core/media/CVideoPlayer.h"
#include "core/media/IMediaWindow.h"

#include <string>
#include <vector>

namespace qx44 {

// The switch between the text screen and the player: the requests that the host's play and stop
// commands post, and those of the key routing and the local browser. UI thread only.
class MediaRequests {
public:
    static constexpr int kPlay = 1;
    static constexpr int kStop = 2;

    MediaRequests(CVideoPlayer& player, IMediaWindow& window) : player_(player), window_(window) {}

    // While off, every request is ignored (Video/EnVideo, read when the terminal starts).
    void SetMediaSwitch(bool on) { mediaSwitch_ = on; }
    bool MediaSwitch() const { return mediaSwitch_; }

    // kPlay with the host's play list, kStop; anything else is ignored.
    void OnMediaRequest(int request, const std::vector<std::string>& playList);
    // nullptr asks for no list, which closes the player. False only when the switch is off.
    bool MediaRequest(const std::vector<std::string>* list);
    void ClosePlayer();

private:
    CVideoPlayer& player_;
    IMediaWindow& window_;
    bool mediaSwitch_ = true;
};

} // namespace qx44
