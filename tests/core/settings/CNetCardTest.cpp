#include "core/settings/CNetCard.h"

#include "core/settings/CQX44Setting.h"
#include "support/FakeNetAdapters.h"

#include <gtest/gtest.h>

namespace qx44 {
using test::FakeNetAdapters;
using test::ScopedAdapterSource;

namespace {

using Outcome = INetAdapterSource::Outcome;

const std::vector<std::uint8_t> kMac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

NetAdapterEntry TwoAddressAdapter() {
    NetAdapterEntry entry = FakeNetAdapters::Adapter("eth0", kMac);
    entry.ipAddresses = {{"192.168.1.20", "255.255.255.0"}, {"10.0.0.7", "255.0.0.0"}};
    entry.gateway = "192.168.1.1";
    entry.dhcpServer = "192.168.1.2";
    entry.winsServer = "192.168.1.3";
    return entry;
}

NetAdapterEntry BareAdapter() {
    NetAdapterEntry entry = FakeNetAdapters::Adapter("wlan0", {0xDE, 0xAD, 0xBE, 0xEF, 0x00, 0x01});
    entry.type = 71;
    entry.ipAddresses = {{"172.16.4.9", "255.255.240.0"}, {"172.16.4.10", "255.255.255.255"}};
    return entry;
}

struct ListingCase {
    const char* name;
    Outcome outcome;
    std::vector<NetAdapterEntry> adapters;
    std::string status;
    int count;
    std::string firstAddress;
};

class CNetCardListingTest : public testing::TestWithParam<ListingCase> {};

TEST_P(CNetCardListingTest, CountsAdaptersAndReportsHowTheListingWent) {
    FakeNetAdapters source;
    source.outcome = GetParam().outcome;
    source.adapters = GetParam().adapters;
    const CNetCard card(source);
    EXPECT_EQ(card.GetStatus(), GetParam().status);
    EXPECT_EQ(card.GetAdapterCount(), GetParam().count);
    EXPECT_EQ(card.GetAddressText(0), GetParam().firstAddress);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CNetCardListingTest,
    testing::Values(
        ListingCase{"NoAdapter", Outcome::Listed, {}, "No net device information!", 0, ""},
        ListingCase{
            "OneAdapter", Outcome::Listed, {TwoAddressAdapter()}, "Success!", 1, "001A2B-3C4D5E"},
        ListingCase{"TwoAdapters",
                    Outcome::Listed,
                    {TwoAddressAdapter(), BareAdapter()},
                    "Success!",
                    2,
                    "001A2B-3C4D5E"},
        ListingCase{"NotSupported",
                    Outcome::NotSupported,
                    {},
                    "The system not support GetAdaptersInfo API function!",
                    0,
                    ""},
        // A failed listing keeps nothing of what the source may have written before failing.
        ListingCase{"Failed", Outcome::Failed, {TwoAddressAdapter()}, "Unknow error!", 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CNetCardTest, TurnsEveryAdapterIntoTextsInTheSystemsOrder) {
    FakeNetAdapters source;
    source.adapters = {TwoAddressAdapter(), BareAdapter()};
    const CNetCard card(source);

    ASSERT_EQ(card.Adapters().size(), 2u);
    EXPECT_EQ(card.Adapters()[0], (CNetCardInfo{"001A2B-3C4D5E", "eth0", "6", "255.255.255.0",
                                                "192.168.1.20\r\n10.0.0.7", "192.168.1.1",
                                                "192.168.1.3", "192.168.1.2"}));
    EXPECT_EQ(card.Adapters()[1], (CNetCardInfo{"DEADBE-EF0001", "wlan0", "71", "255.255.240.0",
                                                "172.16.4.9\r\n172.16.4.10", "N/A", "N/A", "N/A"}));
    EXPECT_EQ(card.GetAddressText(1), "DEADBE-EF0001");
}

TEST(CNetCardTest, AnAdapterWithoutAddressesShowsNotAvailable) {
    FakeNetAdapters source;
    source.adapters = {FakeNetAdapters::Adapter("eth1", kMac)};
    const CNetCardInfo info = CNetCard(source).Adapters().at(0);
    EXPECT_EQ(info.mask, "N/A");
    EXPECT_EQ(info.addresses, "N/A");
    EXPECT_EQ(info.gateway, "N/A");
}

TEST(CNetCardTest, AnIndexWithoutARecordGivesTheEmptyText) {
    FakeNetAdapters source;
    source.adapters = {TwoAddressAdapter()};
    const CNetCard card(source);
    EXPECT_EQ(card.GetAddressText(1), "");
    EXPECT_EQ(card.GetAddressText(-1), "");
}

struct AddressCase {
    std::vector<std::uint8_t> bytes;
    std::string text;
};

class CNetCardAddressTest : public testing::TestWithParam<AddressCase> {};

TEST_P(CNetCardAddressTest, WritesTheFirstSixBytesInUpperCaseHex) {
    EXPECT_EQ(CNetCard::FormatAddress(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, CNetCardAddressTest,
    testing::Values(AddressCase{{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E}, "001A2B-3C4D5E"},
                    AddressCase{{0xff, 0xab, 0x0c, 0x01, 0x02, 0xe0}, "FFAB0C-0102E0"},
                    // Longer hardware addresses are cut, shorter ones padded with zero bytes.
                    AddressCase{{1, 2, 3, 4, 5, 6, 7, 8}, "010203-040506"},
                    AddressCase{{0x0A, 0x0B, 0x0C}, "0A0B0C-000000"},
                    AddressCase{{}, "000000-000000"}));

TEST(GetMacAddressTest, GivesTheFirstAdapterOfTheRegisteredSource) {
    FakeNetAdapters source;
    source.adapters = {BareAdapter(), TwoAddressAdapter()};
    const ScopedAdapterSource registered(source);
    EXPECT_EQ(CQX44Setting::GetMacAddress(), "DEADBE-EF0001");

    source.adapters = {TwoAddressAdapter()};
    EXPECT_EQ(CQX44Setting::GetMacAddress(), "001A2B-3C4D5E") << "listed anew on every call";

    source.adapters.clear();
    EXPECT_EQ(CQX44Setting::GetMacAddress(), "");
}

// Interfaces such as ifb0 or a bridge without a cable are listed before the real one; an
// adapter without a hardware address (a tunnel) shows nothing useful.
TEST(GetMacAddressTest, IsTheFirstAdapterThatIsUpWithAHardwareAddress) {
    const auto adapter = [](const char* name, std::vector<std::uint8_t> address, bool up) {
        return FakeNetAdapters::Adapter(name, std::move(address), up);
    };
    const struct {
        const char* name;
        std::vector<NetAdapterEntry> adapters;
        std::string address;
    } cases[] = {
        {"down virtual first",
         {adapter("ifb0", {0x32, 0xB3, 0x08, 0x2A, 0xB7, 0xDD}, false),
          adapter("eth0", kMac, true)},
         "001A2B-3C4D5E"},
        {"up tunnel first",
         {adapter("tun0", {}, true), adapter("eth0", kMac, true)},
         "001A2B-3C4D5E"},
        {"zero address first",
         {adapter("sit0", {0, 0, 0, 0, 0, 0}, true), adapter("eth0", kMac, true)},
         "001A2B-3C4D5E"},
        {"none up", {adapter("tun0", {}, false), adapter("eth0", kMac, false)}, "001A2B-3C4D5E"},
        {"no hardware address",
         {adapter("tun0", {}, true), adapter("tun1", {}, false)},
         "000000-000000"},
    };
    for (const auto& c : cases) {
        FakeNetAdapters source;
        source.adapters = c.adapters;
        const ScopedAdapterSource registered(source);
        EXPECT_EQ(CQX44Setting::GetMacAddress(), c.address) << c.name;
    }
}

TEST(GetMacAddressTest, IsEmptyWithoutARegisteredSource) {
    EXPECT_EQ(CQX44Setting::GetMacAddress(), "");
    EXPECT_EQ(CNetCard().GetStatus(), CNetCard::kStatusNotSupported);
}

} // namespace
} // namespace qx44
