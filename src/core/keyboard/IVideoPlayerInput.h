#pragma once

#include <cstdint>

namespace qx44 {

// The video player as the key routing sees it. While the player is shown it takes every key
// release; it acts on releases only.
class IVideoPlayerInput {
public:
    static constexpr int kNoExitKey = 0;

    virtual ~IVideoPlayerInput() = default;

    virtual bool IsShown() const = 0;
    // The play list came from the local browser, so closing the player is no news for the host.
    virtual bool IsLocalMode() const = 0;
    // kNoExitKey, or 1 or 2 when the release fires an exit key set: 1 for the Stop set, else the
    // Kind() of the host's set that fired.
    virtual int CheckExitKeys(std::uint32_t key, int repeat, std::uint32_t flags) = 0;
    // The player's action keys: play/pause, seeking, zoom, volume, previous and next item.
    virtual void HandleKey(std::uint32_t key, int repeat, std::uint32_t flags) = 0;
};

} // namespace qx44
