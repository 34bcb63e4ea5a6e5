#pragma once

#include <string_view>

namespace qx44 {

// What the host link tells the rest of the terminal; every call comes on the UI thread.
// Methods do nothing by default so a listener overrides only what it shows.
class IHostLinkEvents {
public:
    static constexpr int kNetworkDisconnected = 0;
    static constexpr int kNetworkHostConnected = 2;

    virtual ~IHostLinkEvents() = default;
    virtual void SetNetworkState(int /*state*/) {}
    // A new host was accepted; the information screen and the player react to it. Comes before
    // any of the host's messages is handled.
    virtual void HostConnected(std::string_view /*peerAddress*/) {}
};

} // namespace qx44
