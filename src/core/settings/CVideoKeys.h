#pragma once

#include <cstdint>

namespace qx44 {

// One set of player keys. Each member is a virtual-key code; 0 leaves that action without a key.
struct CVideoKeys {
    uint32_t playPause = 0;
    uint32_t forward = 0;
    uint32_t backward = 0;
    uint32_t zoomIn = 0;
    uint32_t zoomOut = 0;
    uint32_t volumeUp = 0;
    uint32_t volumeDown = 0;
    uint32_t prevClip = 0;
    uint32_t nextClip = 0;
    uint32_t stop = 0;

    bool operator==(const CVideoKeys&) const = default;
};

} // namespace qx44
