#pragma once

#include "core/settings/CNetCardInfo.h"
#include "core/settings/INetAdapterSource.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// The machine's network adapters, listed once when the object is made: create one for each
// question, so every question sees the adapters as they are now.
class CNetCard {
public:
    static constexpr std::string_view kStatusSuccess = "Success!";
    static constexpr std::string_view kStatusNotSupported =
        "The system not support GetAdaptersInfo API function!";
    static constexpr std::string_view kStatusFailed = "Unknow error!";
    static constexpr std::string_view kStatusNoAdapter = "No net device information!";
    // What a record shows for a value the adapter does not have.
    static constexpr std::string_view kNotAvailable = "N/A";

    // Lists the adapters of the process-wide source (see SetAdapterSource).
    CNetCard();
    explicit CNetCard(const INetAdapterSource& source);

    // The platform layer registers its source once at start; nullptr unregisters it. Without
    // one, no adapter is ever listed. The source must outlive its registration.
    static void SetAdapterSource(const INetAdapterSource* source);
    static const INetAdapterSource& AdapterSource();

    int GetAdapterCount() const;
    // The empty text for an index without a record.
    std::string GetAddressText(int index) const;
    // The address text of the adapter the machine uses: the first that is up and has a hardware
    // address, else the first with a hardware address, else the first; empty without adapters.
    // A machine lists virtual interfaces (ifb0, dummy0) that are down before its real one.
    std::string GetMainAddressText() const { return GetAddressText(mainAdapter_); }
    const std::vector<CNetCardInfo>& Adapters() const { return adapters_; }
    // How the listing went; for diagnostics only.
    const std::string& GetStatus() const { return status_; }

    // The first six bytes, missing ones as 00, whatever the length of the hardware address.
    static std::string FormatAddress(std::span<const std::uint8_t> hardwareAddress);
    static CNetCardInfo MakeInfo(const NetAdapterEntry& entry);

private:
    std::string status_;
    std::vector<CNetCardInfo> adapters_;
    int mainAdapter_ = 0;
};

} // namespace qx44
