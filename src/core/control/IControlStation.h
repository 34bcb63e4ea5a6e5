#pragma once

#include "core/control/PlayerState.h"
#include "core/screen/ScreenSnapshot.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qx44 {

struct NamedKey;

// The host connection as the control port reports it.
struct HostLinkState {
    bool connected = false;
    std::string peer;
    std::uint64_t bytesIn = 0;
    std::uint64_t bytesOut = 0;
    std::uint64_t messagesIn = 0;
    std::uint64_t messagesOut = 0;
};

// What the control port's commands need from the running station besides the mouse receiver the
// screen windows report clicks to; every call comes on the UI thread.
class IControlStation {
public:
    virtual ~IControlStation() = default;

    virtual ScreenSnapshot TextScreen() const = 0;
    virtual ScreenSnapshot StatusLine() const = 0;
    virtual HostLinkState HostState() const = 0;
    // The port hosts connect to, once the station listens.
    virtual std::optional<int> HostPort() const = 0;
    virtual PlayerState Player() const = 0;
    // As the real key would: through the window that has the keyboard and the key routing.
    virtual void InjectKey(const NamedKey& key, bool down) = 0;
    // A PNG of what the window shows; an error text, empty when saved.
    virtual std::string SavePicture(const std::string& path) = 0;
    // Ends the program as SIGTERM does, once the current replies are out.
    virtual void Shutdown() = 0;
};

} // namespace qx44
