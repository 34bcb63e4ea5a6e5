#include "core/media/MediaRequests.h"

#include "core/media/HostPlayList.h"

namespace qx44 {

void MediaRequests::OnMediaRequest(int request, const std::vector<std::string>& playList) {
    if (request == kPlay) {
        MediaRequest(&playList);
    } else if (request == kStop) {
        MediaRequest(nullptr);
        window_.ClearKeyDownRecord();
    }
}

bool MediaRequests::MediaRequest(const std::vector<std::string>* list) {
    if (!mediaSwitch_) {
        return false;
    }
    if (player_.IsShown() || list == nullptr) {
        ClosePlayer();
        return true;
    }
    const HostPlayList parsed = HostPlayList::Parse(*list);
    player_.SetHostKeys(parsed.keys[0], parsed.keys[1], parsed.keys[2], parsed.keys[3]);
    if (parsed.files.empty() || parsed.files.front().ends_with('\\')) {
        return true;
    }
    window_.HideTerminalScreens();
    player_.Show(true);
    player_.PlayList(parsed.files, true);
    return true;
}

void MediaRequests::ClosePlayer() {
    player_.Show(false);
    window_.ShowTerminalScreens();
}

} // namespace qx44
