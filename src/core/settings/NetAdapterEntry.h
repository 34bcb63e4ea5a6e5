#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qx44 {

// One network adapter as the operating system describes it, before it is turned into the
// station's text record. A value the adapter does not have is left empty rather than given a
// placeholder, so the record decides how an absent value reads.
struct NetAdapterEntry {
    struct IpAddress {
        std::string address;
        std::string mask;

        friend bool operator==(const IpAddress&, const IpAddress&) = default;
    };

    std::string description;
    std::vector<std::uint8_t> hardwareAddress;
    // The interface type number the way network management reports it (6 Ethernet, 71 wireless,
    // 1 anything else).
    int type = 1;
    // Up with a working link, as the kernel or the system reports it.
    bool up = false;
    // IPv4 only, in the system's order.
    std::vector<IpAddress> ipAddresses;
    std::optional<std::string> gateway;
    std::optional<std::string> dhcpServer;
    std::optional<std::string> winsServer;

    friend bool operator==(const NetAdapterEntry&, const NetAdapterEntry&) = default;
};

} // namespace qx44
