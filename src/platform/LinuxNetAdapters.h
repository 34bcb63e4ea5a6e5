#pragma once

#include "core/settings/INetAdapterSource.h"

#include <optional>
#include <string>
#include <string_view>

namespace qx44 {

// The machine's network interfaces from getifaddrs. Each interface other than loopback is an
// adapter, in the order the kernel lists them, with its link-layer address and its IPv4
// addresses (IPv6 addresses are not part of the station's adapter record), up when the kernel
// calls it up and running. The gateway is the interface's default route in the kernel's routing
// table. A DHCP server is known only where systemd-networkd keeps a lease for the interface;
// with any other network manager the record shows none. Linux has no WINS client, so no
// adapter has a WINS server.
class LinuxNetAdapters : public INetAdapterSource {
public:
    static constexpr const char* kRouteTable = "/proc/net/route";
    static constexpr const char* kLeaseFolder = "/run/systemd/netif/leases";
    static constexpr const char* kInterfaceFolder = "/sys/class/net";

    // Interface type numbers as network management reports them.
    static constexpr int kTypeOther = 1;
    static constexpr int kTypeEthernet = 6;
    static constexpr int kTypePpp = 23;
    static constexpr int kTypeLoopback = 24;
    static constexpr int kTypeWireless = 71;
    static constexpr int kTypeTunnel = 131;

    explicit LinuxNetAdapters(std::string routeTable = kRouteTable,
                              std::string leaseFolder = kLeaseFolder,
                              std::string interfaceFolder = kInterfaceFolder);

    Outcome ListAdapters(std::vector<NetAdapterEntry>& adapters) const override;
    bool IsNetworkAlive() const override;

    // The gateway of the first usable default route through `interface` in the text of
    // /proc/net/route, in dotted form.
    static std::optional<std::string> DefaultGateway(std::string_view routeTable,
                                                     std::string_view interface);
    // The server address of a systemd-networkd lease file's text.
    static std::optional<std::string> LeaseServer(std::string_view lease);
    // From the link-layer type (ARPHRD_*) of a packet socket address.
    static int AdapterType(unsigned hardwareType, bool wireless);

private:
    std::string routeTable_;
    std::string leaseFolder_;
    std::string interfaceFolder_;
};

} // namespace qx44
