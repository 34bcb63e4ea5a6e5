#include "core/screen/StationInfoScreen.h"

#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenTestSupport.h"
#include "core/screen/StatusIndicators.h"
#include "core/settings/CQX44Setting.h"
#include "support/FakeNetAdapters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qx44 {
using test::FakeNetAdapters;
using test::ScopedAdapterSource;
using test::TempDir;

namespace {

using screentest::CellOf;
using screentest::TextOf;

constexpr int kInside = 33; // text cells between column 24 and the box's right border

std::string StationName() {
    return ("Station name: " + CQX44Setting::GetStationName()).substr(0, kInside);
}

class StationInfoScreenTest : public testing::Test {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override { CQX44Setting::SetFilePathOverride(""); }

    void WriteSettings(std::string_view text) { TempDir::WriteText(dir.File("setting.txt"), text); }

    // What row `row` of the box reads from column 24 up to the right border.
    std::string Row(int row) const { return TextOf(textScreen, 24, row, kInside, 1); }
    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int row = 7; row <= 14; ++row) {
            rows.push_back(Row(row));
        }
        return rows;
    }

    // A machine's real adapter, after a virtual one that is down.
    static FakeNetAdapters MachineAdapters() {
        FakeNetAdapters adapters;
        adapters.adapters = {
            FakeNetAdapters::Adapter("ifb0", {0x32, 0xB3, 0x08, 0x2A, 0xB7, 0xDD}, false),
            FakeNetAdapters::Adapter("eth0", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E})};
        return adapters;
    }

    TempDir dir;
    CConsoleWin textScreen;
    CVantorBar statusLine;
};

TEST_F(StationInfoScreenTest, ShowsTheDefaultSettings) {
    const FakeNetAdapters adapters = MachineAdapters();
    StationInfoScreen(textScreen, statusLine, adapters).ShowStationInfo("");
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"HBK Corvane Pavise QX4400\n", "Program Date: 7/30/2009\n",
                                        "Program version: 1.102\n", "Station number: 1\n",
                                        StationName() + "\n", "TCP port: 8888\n",
                                        "Ethernet: Connected\n", "MacAddress: 001A2B-3C4D5E\n"}));
}

TEST_F(StationInfoScreenTest, ShowsTheSettingsInForceWhenDrawn) {
    const FakeNetAdapters adapters = MachineAdapters();
    StationInfoScreen info(textScreen, statusLine, adapters);
    info.ShowStationInfo("");
    WriteSettings("[Main]\nDevName=Lane 7\nAddress=42\n[Net]\nPortNum=9100\n");
    info.ShowStationInfo("");
    EXPECT_EQ(Row(7), "HBK Corvane Pavise Lane 7\n");
    EXPECT_EQ(Row(10), "Station number: 42\n");
    EXPECT_EQ(Row(12), "TCP port: 9100\n");
}

TEST_F(StationInfoScreenTest, DrawsTheBoxInWhiteOnBlueAndKeepsItsAttributeForTheText) {
    textScreen.FillArea(0, 0, 80, 25, 'x', 0x1F00);
    const FakeNetAdapters adapters = MachineAdapters();
    StationInfoScreen(textScreen, statusLine, adapters).ShowStationInfo("");
    const ScreenSnapshot screen = textScreen.Snapshot();
    EXPECT_EQ(ScreenDump::Text(screen, 22, 6, 36, 1), "╔" + screentest::Repeat("═", 34) + "╗\n");
    EXPECT_EQ(ScreenDump::Text(screen, 22, 15, 36, 1), "╚" + screentest::Repeat("═", 34) + "╝\n");
    EXPECT_EQ(ScreenDump::Text(screen, 22, 7, 1, 8), screentest::Repeat("║\n", 8));
    EXPECT_EQ(ScreenDump::Text(screen, 57, 7, 1, 4), screentest::Repeat("║\n", 4));
    EXPECT_EQ(ScreenDump::Attributes(screen, 21, 5, 38, 12),
              screentest::Repeat("1F00*38\n", 1) + screentest::Repeat("1F00 D200*36 1F00\n", 10) +
                  "1F00*38\n");
}

TEST_F(StationInfoScreenTest, CentresTheNoticeOnTheStatusLineInBlackOnGrey) {
    const FakeNetAdapters adapters = MachineAdapters();
    StationInfoScreen(textScreen, statusLine, adapters).ShowStationInfo("");
    const int length = static_cast<int>(StationInfoScreen::kNotice.size());
    const int left = (80 - length) / 2;
    const int right = 80 - left - length;
    EXPECT_TRUE(right == left || right == left + 1) << left << " " << right;
    EXPECT_EQ(TextOf(statusLine, left, 0, length, 1),
              "QX4400 Network Terminal Station Simulator\n");
    EXPECT_EQ(ScreenDump::Attributes(statusLine.Snapshot()),
              "EA00*" + std::to_string(left) + " EAD7*" + std::to_string(length) + " EA00*" +
                  std::to_string(right) + "\n");
}

struct NetworkCase {
    const char* name;
    bool alive;
    bool adapter;
    std::string host;
    std::string networkRow;
    std::string macRow;
    std::optional<int> state;
};

class StationInfoNetworkTest : public StationInfoScreenTest,
                               public testing::WithParamInterface<NetworkCase> {};

TEST_P(StationInfoNetworkTest, ShowsTheNetworkStateOrTheHost) {
    FakeNetAdapters adapters = GetParam().adapter ? MachineAdapters() : FakeNetAdapters();
    adapters.alive = GetParam().alive;
    StationInfoScreen info(textScreen, statusLine, adapters);
    info.ShowStationInfo("");
    EXPECT_EQ(info.ShowStationInfo(GetParam().host), GetParam().state);
    EXPECT_EQ(Row(13), GetParam().networkRow + "\n");
    EXPECT_EQ(Row(14), GetParam().macRow + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StationInfoNetworkTest,
    testing::Values(NetworkCase{"Alive", true, true, "", "Ethernet: Connected",
                                "MacAddress: 001A2B-3C4D5E", StatusIndicators::kNetworkIdle},
                    NetworkCase{"Down", false, true, "", "Ethernet: Disonnected",
                                "MacAddress: 001A2B-3C4D5E", StatusIndicators::kNoNetwork},
                    // An alive network is not enough: the station needs its own address.
                    NetworkCase{"AliveWithoutAdapter", true, false, "", "Ethernet: Disonnected",
                                "MacAddress:", StatusIndicators::kNoNetwork},
                    NetworkCase{"Host", true, true, "127.0.0.1", "HOST IP:127.0.0.1",
                                "MacAddress: 001A2B-3C4D5E", std::nullopt},
                    NetworkCase{"HostWhileDown", false, false, "192.168.200.201",
                                "HOST IP:192.168.200.201", "MacAddress:", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StationInfoScreenTest, ALongLineRunsOverTheRightBorder) {
    WriteSettings("[Main]\nDevName=Terminal for the east loading dock\n");
    const FakeNetAdapters adapters = MachineAdapters();
    StationInfoScreen(textScreen, statusLine, adapters).ShowStationInfo("");
    EXPECT_EQ(TextOf(textScreen, 24, 7, 56, 1),
              "HBK Corvane Pavise Terminal for the east loading dock\n");
    EXPECT_EQ(TextOf(textScreen, 57, 8, 1, 1), "║\n") << "other rows keep the border";
}

TEST_F(StationInfoScreenTest, UsesTheRegisteredAdapterSourceWhenGivenNone) {
    FakeNetAdapters adapters;
    adapters.adapters = {FakeNetAdapters::Adapter("eth0", {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5})};
    const ScopedAdapterSource registered(adapters);
    EXPECT_EQ(StationInfoScreen(textScreen, statusLine).ShowStationInfo(""),
              StatusIndicators::kNetworkIdle);
    EXPECT_EQ(Row(14), "MacAddress: A0B1C2-D3E4F5\n");
}

TEST_F(StationInfoScreenTest, AsksForARepaintOfBothScreens) {
    screentest::RecordingSurface textSurface;
    screentest::RecordingSurface statusSurface;
    statusSurface.client = {0, 0, 800, 60};
    textScreen.SetSurface(&textSurface);
    statusLine.SetSurface(&statusSurface);
    textScreen.LayOut(textSurface.client);
    statusLine.LayOut(statusSurface.client);
    const FakeNetAdapters adapters = MachineAdapters();
    StationInfoScreen(textScreen, statusLine, adapters).ShowStationInfo("");
    const auto covers = [](const screentest::RecordingSurface& surface) {
        PixelRect all;
        for (const PixelRect& rect : surface.Rects()) {
            all = all.IsEmpty() ? rect : all.United(rect);
        }
        return all.left <= 0 && all.top <= 0 && all.right >= surface.client.right &&
               all.bottom >= surface.client.bottom;
    };
    EXPECT_TRUE(covers(textSurface));
    EXPECT_TRUE(covers(statusSurface));
    textScreen.SetSurface(nullptr);
    statusLine.SetSurface(nullptr);
}

} // namespace
} // namespace qx44
