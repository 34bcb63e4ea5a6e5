#pragma once

#include <cstdint>

namespace qx44 {

// Sends the user's keys to the host as station key messages. The key routing talks to the
// interpreter through this, so the interpreter stays the one place that frames what the station
// says to the host.
class IKeySender {
public:
    // Passed as the key to SendKeyUp: the host sees the marker byte instead of the key, because the
    // release went to the video player.
    static constexpr std::uint32_t kPlayerReleaseKey = 0xFE;

    virtual ~IKeySender() = default;

    // `key` and `repeat` do not change the bytes: the scan code in `flags` decides everything.
    virtual void SendKeyDown(std::uint32_t key, int repeat, std::uint32_t flags) = 0;
    // With `force`, a key without a station code still sends its release prefix.
    virtual void SendKeyUp(std::uint32_t key, int repeat, std::uint32_t flags, bool force) = 0;
    // An exit key set of the video player fired.
    virtual void SendMediaKeyNotice() = 0;
    // True while the host has had a press of the key with these flags and no release yet.
    virtual bool IsDownOnHost(std::uint32_t flags) const = 0;
};

} // namespace qx44
