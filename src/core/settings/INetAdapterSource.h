#pragma once

#include "core/settings/NetAdapterEntry.h"

#include <vector>

namespace qx44 {

// Where the machine's network adapters come from. Core cannot ask the operating system itself
// in a portable way, so the platform layer supplies one and tests feed their own. The defaults
// describe a system that offers no adapter listing at all.
class INetAdapterSource {
public:
    enum class Outcome {
        Listed,
        // The system has no way to list adapters.
        NotSupported,
        // The system has one, but it failed.
        Failed,
    };

    virtual ~INetAdapterSource() = default;

    // Appends the adapters in the system's order, loopback excluded. `adapters` is only to be
    // read when the outcome is Listed.
    virtual Outcome ListAdapters(std::vector<NetAdapterEntry>& adapters) const {
        static_cast<void>(adapters);
        return Outcome::NotSupported;
    }

    // True when some adapter other than loopback is up and has a working link.
    virtual bool IsNetworkAlive() const { return false; }
};

} // namespace qx44
