#include "platform/LinuxNetAdapters.h"

#include "core/settings/CNetCard.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <regex>
#include <set>
#include <string>

namespace qx44 {
namespace {

using test::TempDir;

constexpr const char* kSystemInterfaces = "/sys/class/net";

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

unsigned long SystemFlags(const std::string& interface) {
    return std::stoul(
        TempDir::ReadText(std::string(kSystemInterfaces) + "/" + interface + "/flags"), nullptr,
        16);
}

std::set<std::string> SystemAdapterNames() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kSystemInterfaces)) {
        const std::string name = entry.path().filename().string();
        if ((SystemFlags(name) & IFF_LOOPBACK) == 0) {
            names.insert(name);
        }
    }
    return names;
}

std::vector<NetAdapterEntry> ListedAdapters(const LinuxNetAdapters& source) {
    std::vector<NetAdapterEntry> adapters;
    EXPECT_EQ(source.ListAdapters(adapters), INetAdapterSource::Outcome::Listed);
    return adapters;
}

TEST(LinuxNetAdaptersTest, ListsEveryInterfaceButLoopbackOnce) {
    std::set<std::string> listed;
    for (const NetAdapterEntry& adapter : ListedAdapters(LinuxNetAdapters())) {
        EXPECT_TRUE(listed.insert(adapter.description).second) << adapter.description;
        EXPECT_NE(adapter.type, LinuxNetAdapters::kTypeLoopback) << adapter.description;
    }
    EXPECT_EQ(listed, SystemAdapterNames());
}

TEST(LinuxNetAdaptersTest, GivesWellFormedTextsForThisMachinesAdapters) {
    const std::regex addressText("[0-9A-F]{6}-[0-9A-F]{6}");
    const std::regex dotted(R"(\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3})");
    for (const NetAdapterEntry& adapter : ListedAdapters(LinuxNetAdapters())) {
        const CNetCardInfo info = CNetCard::MakeInfo(adapter);
        EXPECT_TRUE(std::regex_match(info.address, addressText)) << info.address;
        for (const NetAdapterEntry::IpAddress& ip : adapter.ipAddresses) {
            EXPECT_TRUE(std::regex_match(ip.address, dotted)) << ip.address;
            EXPECT_TRUE(std::regex_match(ip.mask, dotted)) << ip.mask;
        }
        EXPECT_EQ(info.winsServer, "N/A");
    }
}

TEST(LinuxNetAdaptersTest, HardwareAddressesAreTheKernelsLinkAddresses) {
    for (const NetAdapterEntry& adapter : ListedAdapters(LinuxNetAdapters())) {
        std::string expected;
        for (std::uint8_t byte : adapter.hardwareAddress) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%s%02x", expected.empty() ? "" : ":", byte);
            expected += hex;
        }
        const std::string path =
            std::string(kSystemInterfaces) + "/" + adapter.description + "/address";
        EXPECT_EQ(Trimmed(TempDir::ReadText(path)), expected) << adapter.description;
    }
}

// The kernel counts an interface as running when it is up and its operational state is up or
// unknown (a driver that does not report its carrier).
bool IsWorking(const std::string& name) {
    const std::string state =
        Trimmed(TempDir::ReadText(std::string(kSystemInterfaces) + "/" + name + "/operstate"));
    return (SystemFlags(name) & IFF_UP) != 0 && (state == "up" || state == "unknown");
}

TEST(LinuxNetAdaptersTest, NetworkIsAliveWhenAnAdapterIsUpAndRunning) {
    EXPECT_EQ(LinuxNetAdapters().IsNetworkAlive(),
              std::ranges::any_of(SystemAdapterNames(), IsWorking));
    for (const NetAdapterEntry& adapter : ListedAdapters(LinuxNetAdapters())) {
        EXPECT_EQ(adapter.up, IsWorking(adapter.description)) << adapter.description;
    }
}

TEST(LinuxNetAdaptersTest, TakesGatewayAndDhcpServerFromTheRouteTableAndLeases) {
    TempDir dir;
    const std::vector<NetAdapterEntry> adapters =
        ListedAdapters(LinuxNetAdapters(dir.File("routes"), dir.Path()));
    if (adapters.empty()) {
        GTEST_SKIP() << "this machine has no network adapter";
    }
    for (const NetAdapterEntry& adapter : adapters) {
        EXPECT_EQ(adapter.gateway, std::nullopt) << "no route table";
        EXPECT_EQ(adapter.dhcpServer, std::nullopt) << "no lease";
    }

    const std::string name = adapters.front().description;
    TempDir::WriteText(dir.File("routes"),
                       "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n" + name +
                           "\t00000000\t0102A8C0\t0003\t0\t0\t0\t00000000\n");
    TempDir::WriteText(dir.File(std::to_string(::if_nametoindex(name.c_str()))),
                       "# This is private data. Do not parse.\nADDRESS=192.168.2.50\n"
                       "SERVER_ADDRESS=192.168.2.254\n");
    const std::vector<NetAdapterEntry> again =
        ListedAdapters(LinuxNetAdapters(dir.File("routes"), dir.Path()));
    ASSERT_FALSE(again.empty());
    EXPECT_EQ(again.front().description, name);
    EXPECT_EQ(again.front().gateway, "192.168.2.1");
    EXPECT_EQ(again.front().dhcpServer, "192.168.2.254");
}

constexpr const char* kRoutes =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
    "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n"
    "eth0\t00000000\t010200C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
    "eth0\t00000000\t020200C0\t0003\t0\t0\t200\t00000000\t0\t0\t0\n"
    "eth1\t00000000\t0100000A\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
    "eth2\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
    "eth3\t0000A8C0\t0100A8C0\t0003\t0\t0\t0\t0000FFFF\t0\t0\t0\n"
    "eth4\tnonsense\n"
    "eth5\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";

struct GatewayCase {
    const char* interface;
    std::optional<std::string> gateway;
};

class DefaultGatewayTest : public testing::TestWithParam<GatewayCase> {};

TEST_P(DefaultGatewayTest, IsTheFirstUsableDefaultRouteOfTheInterface) {
    EXPECT_EQ(LinuxNetAdapters::DefaultGateway(kRoutes, GetParam().interface), GetParam().gateway);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, DefaultGatewayTest,
    testing::Values(GatewayCase{"eth0", "192.0.2.1"},
                    GatewayCase{"eth1", std::nullopt}, // route not up
                    GatewayCase{"eth2", std::nullopt}, // a direct route, no gateway
                    GatewayCase{"eth3", std::nullopt}, // not the default route
                    GatewayCase{"eth4", std::nullopt}, // a line the kernel never writes
                    GatewayCase{"eth5", "192.168.1.1"},
                    GatewayCase{"eth", std::nullopt},    // names match whole
                    GatewayCase{"Iface", std::nullopt}), // the column titles
    [](const auto& info) { return std::string(info.param.interface); });

TEST(LinuxNetAdaptersTest, ReadsTheServerOfALease) {
    EXPECT_EQ(LinuxNetAdapters::LeaseServer("ADDRESS=10.1.2.3\nSERVER_ADDRESS=10.1.2.1\n"),
              "10.1.2.1");
    EXPECT_EQ(LinuxNetAdapters::LeaseServer("ADDRESS=10.1.2.3\n"), std::nullopt);
    EXPECT_EQ(LinuxNetAdapters::LeaseServer("SERVER_ADDRESS=\n"), std::nullopt);
    EXPECT_EQ(LinuxNetAdapters::LeaseServer(""), std::nullopt);
}

struct TypeCase {
    unsigned hardwareType;
    bool wireless;
    int type;
};

class AdapterTypeTest : public testing::TestWithParam<TypeCase> {};

TEST_P(AdapterTypeTest, FollowsNetworkManagementsNumbers) {
    EXPECT_EQ(LinuxNetAdapters::AdapterType(GetParam().hardwareType, GetParam().wireless),
              GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    Types, AdapterTypeTest,
    testing::Values(TypeCase{ARPHRD_ETHER, false, 6}, TypeCase{ARPHRD_ETHER, true, 71},
                    TypeCase{ARPHRD_IEEE80211_RADIOTAP, false, 71}, TypeCase{ARPHRD_PPP, false, 23},
                    TypeCase{ARPHRD_LOOPBACK, false, 24}, TypeCase{ARPHRD_NONE, false, 131},
                    TypeCase{ARPHRD_SIT, false, 131}, TypeCase{ARPHRD_INFINIBAND, false, 1}));

} // namespace
} // namespace qx44
