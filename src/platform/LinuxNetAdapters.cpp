#include "platform/LinuxNetAdapters.h"

#include <algorithm>
#include <arpa/inet.h>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ifaddrs.h>
#include <iterator>
#include <memory>
#include <net/if.h>
#include <net/if_arp.h>
#include <net/route.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sstream>
#include <utility>

namespace qx44 {

namespace {

struct FreeInterfaces {
    void operator()(ifaddrs* list) const { ::freeifaddrs(list); }
};
using InterfaceList = std::unique_ptr<ifaddrs, FreeInterfaces>;

InterfaceList ListInterfaces() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return nullptr;
    }
    return InterfaceList(list);
}

bool IsLoopback(const ifaddrs& interface) {
    return (interface.ifa_flags & IFF_LOOPBACK) != 0;
}

// Up with a link: the kernel sets running when the carrier is there (or the driver cannot tell).
bool IsWorking(const ifaddrs& interface) {
    constexpr unsigned kWorking = IFF_UP | IFF_RUNNING;
    return (interface.ifa_flags & kWorking) == kWorking;
}

// An address label such as "eth0:1" belongs to the interface "eth0".
std::string_view AdapterName(const ifaddrs& interface) {
    const std::string_view name = interface.ifa_name;
    return name.substr(0, name.find(':'));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string DottedText(in_addr address) {
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::string DottedText(const sockaddr* address) {
    if (address == nullptr || address->sa_family != AF_INET) {
        return "0.0.0.0";
    }
    return DottedText(reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
}

std::optional<std::uint32_t> ParseHex(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

NetAdapterEntry& EntryFor(std::vector<NetAdapterEntry>& adapters, std::string_view name) {
    const auto found = std::ranges::find(adapters, name, &NetAdapterEntry::description);
    if (found != adapters.end()) {
        return *found;
    }
    NetAdapterEntry& entry = adapters.emplace_back();
    entry.description = name;
    return entry;
}

} // namespace

LinuxNetAdapters::LinuxNetAdapters(std::string routeTable, std::string leaseFolder,
                                   std::string interfaceFolder)
    : routeTable_(std::move(routeTable)), leaseFolder_(std::move(leaseFolder)),
      interfaceFolder_(std::move(interfaceFolder)) {}

INetAdapterSource::Outcome
LinuxNetAdapters::ListAdapters(std::vector<NetAdapterEntry>& adapters) const {
    const InterfaceList list = ListInterfaces();
    if (!list) {
        return Outcome::Failed;
    }
    std::vector<NetAdapterEntry> found;
    for (const ifaddrs* interface = list.get(); interface != nullptr;
         interface = interface->ifa_next) {
        if (IsLoopback(*interface)) {
            continue;
        }
        NetAdapterEntry& entry = EntryFor(found, AdapterName(*interface));
        entry.up = entry.up || IsWorking(*interface);
        const sockaddr* address = interface->ifa_addr;
        if (address == nullptr) {
            continue;
        }
        if (address->sa_family == AF_PACKET) {
            const auto* link = reinterpret_cast<const sockaddr_ll*>(address);
            const std::size_t length =
                std::min<std::size_t>(link->sll_halen, sizeof link->sll_addr);
            entry.hardwareAddress.assign(link->sll_addr, link->sll_addr + length);
            std::error_code ignored;
            const bool wireless = std::filesystem::exists(
                std::filesystem::path(interfaceFolder_) / entry.description / "wireless", ignored);
            entry.type = AdapterType(link->sll_hatype, wireless);
        } else if (address->sa_family == AF_INET) {
            entry.ipAddresses.push_back({DottedText(address), DottedText(interface->ifa_netmask)});
        }
    }

    const std::string routes = ReadFile(routeTable_);
    for (NetAdapterEntry& entry : found) {
        entry.gateway = DefaultGateway(routes, entry.description);
        if (const unsigned index = ::if_nametoindex(entry.description.c_str()); index != 0) {
            entry.dhcpServer = LeaseServer(ReadFile(leaseFolder_ + "/" + std::to_string(index)));
        }
    }
    adapters.insert(adapters.end(), std::make_move_iterator(found.begin()),
                    std::make_move_iterator(found.end()));
    return Outcome::Listed;
}

bool LinuxNetAdapters::IsNetworkAlive() const {
    const InterfaceList list = ListInterfaces();
    for (const ifaddrs* interface = list.get(); interface != nullptr;
         interface = interface->ifa_next) {
        if (!IsLoopback(*interface) && IsWorking(*interface)) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> LinuxNetAdapters::DefaultGateway(std::string_view routeTable,
                                                            std::string_view interface) {
    std::istringstream lines{std::string(routeTable)};
    std::string line;
    std::getline(lines, line); // the column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, references, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> references >> use >> metric >>
              mask) ||
            name != interface) {
            continue;
        }
        const auto destinationValue = ParseHex(destination);
        const auto gatewayValue = ParseHex(gateway);
        const auto flagsValue = ParseHex(flags);
        const auto maskValue = ParseHex(mask);
        if (!destinationValue || !gatewayValue || !flagsValue || !maskValue) {
            continue;
        }
        constexpr std::uint32_t kUsableGateway = RTF_UP | RTF_GATEWAY;
        if (*destinationValue == 0 && *maskValue == 0 &&
            (*flagsValue & kUsableGateway) == kUsableGateway) {
            // The kernel prints the address as the integer its network-order bytes make on
            // this machine, so putting that integer back into memory restores the bytes.
            in_addr address{};
            address.s_addr = *gatewayValue;
            return DottedText(address);
        }
    }
    return std::nullopt;
}

std::optional<std::string> LinuxNetAdapters::LeaseServer(std::string_view lease) {
    constexpr std::string_view kKey = "SERVER_ADDRESS=";
    std::istringstream lines{std::string(lease)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with(kKey) && line.size() > kKey.size()) {
            return line.substr(kKey.size());
        }
    }
    return std::nullopt;
}

int LinuxNetAdapters::AdapterType(unsigned hardwareType, bool wireless) {
    switch (hardwareType) {
    case ARPHRD_ETHER:
        return wireless ? kTypeWireless : kTypeEthernet;
    case ARPHRD_IEEE80211:
    case ARPHRD_IEEE80211_PRISM:
    case ARPHRD_IEEE80211_RADIOTAP:
        return kTypeWireless;
    case ARPHRD_PPP:
        return kTypePpp;
    case ARPHRD_LOOPBACK:
        return kTypeLoopback;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_NONE:
        return kTypeTunnel;
    default:
        return kTypeOther;
    }
}

} // namespace qx44
