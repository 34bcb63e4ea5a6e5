#pragma once

#include <string>

namespace qx44 {

// One network adapter as the boot and information screens show it: every value already a text,
// "N/A" standing for a value the adapter does not have.
struct CNetCardInfo {
    // Six upper-case hex bytes, a hyphen after the third: "001A2B-3C4D5E".
    std::string address;
    std::string description;
    std::string type;
    // Of the first IP address.
    std::string mask;
    // Every IP address, joined with CR LF.
    std::string addresses;
    std::string gateway;
    std::string winsServer;
    std::string dhcpServer;

    friend bool operator==(const CNetCardInfo&, const CNetCardInfo&) = default;
};

} // namespace qx44
