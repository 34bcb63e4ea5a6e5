#pragma once

#include "core/settings/CNetCard.h"
#include "core/settings/INetAdapterSource.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qx44::test {

// An adapter listing fixed by the test.
class FakeNetAdapters : public INetAdapterSource {
public:
    Outcome outcome = Outcome::Listed;
    std::vector<NetAdapterEntry> adapters;
    bool alive = true;

    Outcome ListAdapters(std::vector<NetAdapterEntry>& out) const override {
        out.insert(out.end(), adapters.begin(), adapters.end());
        return outcome;
    }
    bool IsNetworkAlive() const override { return alive; }

    // An Ethernet adapter, up unless said otherwise.
    static NetAdapterEntry Adapter(std::string name, std::vector<std::uint8_t> hardwareAddress,
                                   bool up = true) {
        NetAdapterEntry entry;
        entry.description = std::move(name);
        entry.hardwareAddress = std::move(hardwareAddress);
        entry.type = 6;
        entry.up = up;
        return entry;
    }
};

// Registers a source with CNetCard for one test and unregisters it afterwards.
class ScopedAdapterSource {
public:
    explicit ScopedAdapterSource(const INetAdapterSource& source) {
        CNetCard::SetAdapterSource(&source);
    }
    ScopedAdapterSource(const ScopedAdapterSource&) = delete;
    ScopedAdapterSource& operator=(const ScopedAdapterSource&) = delete;
    ~ScopedAdapterSource() { CNetCard::SetAdapterSource(nullptr); }
};

} // namespace qx44::test
