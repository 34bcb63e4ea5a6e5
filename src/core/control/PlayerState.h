#pragma once

#include <string>

namespace qx44 {

// The player as the control port reports it.
struct PlayerState {
    bool shown = false;
    std::string title;
    // Counted from 0; -1 while nothing is loaded.
    int index = -1;
    int count = 0;
    // "playing", "paused", "stopped" or "scanning".
    std::string state = "stopped";
    // Percent of the picture's own size.
    int zoom = 100;
    int volume = 0;
    // Playing the operator's pick from the local browser, not the host's list.
    bool local = false;
};

} // namespace qx44
