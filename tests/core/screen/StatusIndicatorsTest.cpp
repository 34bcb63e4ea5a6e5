#include "core/screen/StatusIndicators.h"

#include "core/screen/ScreenTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using screentest::RecordingSurface;

struct RepaintCase {
    const char* name;
    std::vector<bool> calls;
    int repaints;
};

class KeyboardMissingRepaintTest : public testing::TestWithParam<RepaintCase> {};

TEST_P(KeyboardMissingRepaintTest, RepaintsOnlyWhenTheFlagChanges) {
    RecordingSurface surface;
    StatusIndicators indicators;
    indicators.SetSurface(&surface);
    for (bool missing : GetParam().calls) {
        indicators.SetKeyboardMissing(missing);
    }
    EXPECT_EQ(surface.WindowRepaints(), GetParam().repaints);
    EXPECT_EQ(indicators.IsKeyboardMissing(), GetParam().calls.back());
}

INSTANTIATE_TEST_SUITE_P(Sequences, KeyboardMissingRepaintTest,
                         testing::Values(RepaintCase{"PresentAllAlong", {false, false, false}, 0},
                                         RepaintCase{"MissingAllAlong", {true, true, true}, 1},
                                         RepaintCase{"Flapping", {true, false, true}, 3},
                                         RepaintCase{"BackAfterAWhile", {true, true, false}, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StatusIndicatorsTest, NetworkStateRepaintsEveryTime) {
    RecordingSurface surface;
    StatusIndicators indicators;
    indicators.SetSurface(&surface);
    indicators.SetNetworkState(StatusIndicators::kHostConnected);
    indicators.SetNetworkState(StatusIndicators::kHostConnected);
    indicators.SetNetworkState(StatusIndicators::kNetworkIdle);
    EXPECT_EQ(surface.WindowRepaints(), 3);
    EXPECT_EQ(indicators.NetworkState(), StatusIndicators::kNetworkIdle);
}

TEST(StatusIndicatorsTest, AsksNothingOfAWindowThatDoesNotExist) {
    RecordingSurface surface;
    surface.exists = false;
    StatusIndicators indicators;
    indicators.SetSurface(&surface);
    indicators.SetNetworkState(StatusIndicators::kHostConnected);
    indicators.SetKeyboardMissing(true);
    EXPECT_EQ(surface.WindowRepaints(), 0);
    EXPECT_TRUE(indicators.IsKeyboardMissing()) << "the state is kept for the first paint";
}

struct PictureCase {
    int networkState;
    bool keyboardMissing;
    std::vector<int> pictures;
};

class IndicatorPictureTest : public testing::TestWithParam<PictureCase> {};

TEST_P(IndicatorPictureTest, ShowsThePictureOfEachState) {
    StatusIndicators indicators;
    indicators.SetNetworkState(GetParam().networkState);
    indicators.SetKeyboardMissing(GetParam().keyboardMissing);
    CellLayout layout;
    layout.LayOut({0, 0, 800, 60}, 80, 1);
    std::vector<int> pictures;
    for (const StatusIndicators::Icon& icon : indicators.Icons(layout, 1)) {
        pictures.push_back(icon.picture);
    }
    EXPECT_EQ(pictures, GetParam().pictures);
}

INSTANTIATE_TEST_SUITE_P(
    States, IndicatorPictureTest,
    testing::Values(PictureCase{0, false, {184, 181}}, PictureCase{1, false, {184, 181}},
                    PictureCase{2, false, {190, 181}}, PictureCase{2, true, {190, 182}},
                    PictureCase{0, true, {184, 182}}, PictureCase{3, false, {181}},
                    PictureCase{-1, true, {182}}));

struct RectCase {
    PixelRect client;
    PixelRect network;
    PixelRect keyboard;
};

class IndicatorRectTest : public testing::TestWithParam<RectCase> {};

TEST_P(IndicatorRectTest, StretchesEachIconOverThreeCells) {
    CellLayout layout;
    layout.LayOut(GetParam().client, 80, 1);
    const StatusIndicators indicators;
    const std::vector<StatusIndicators::Icon> icons = indicators.Icons(layout, 1);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].rect, GetParam().network);
    EXPECT_EQ(icons[1].rect, GetParam().keyboard);
}

// 1000 pixels give the last 40 columns 13 pixels and the first 40 only 12.
INSTANTIATE_TEST_SUITE_P(
    Layouts, IndicatorRectTest,
    testing::Values(RectCase{{0, 0, 800, 60}, {740, 0, 770, 60}, {770, 0, 800, 60}},
                    RectCase{{0, 0, 1000, 60}, {922, 0, 961, 60}, {961, 0, 1000, 60}},
                    RectCase{{0, 0, 1920, 61}, {1776, 0, 1848, 61}, {1848, 0, 1920, 61}}));

TEST(StatusIndicatorsTest, IconHeightIsTheBaseCellHeightTimesTheRows) {
    CellLayout layout;
    layout.LayOut({0, 0, 800, 100}, 80, 3);
    EXPECT_EQ(StatusIndicators::IconRect(layout, 74, 3), (PixelRect{740, 0, 770, 99}));
}

} // namespace
} // namespace qx44
