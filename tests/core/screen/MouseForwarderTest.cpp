#include "core/screen/MouseForwarder.h"

#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IScreenMouse.h"
#include "support/RecordingMouse.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qx44 {
namespace {

using test::RecordingMouse;

// On 1,000 × 500 pixels the 80 × 25 grid has 12 × 20 cells up to column 39 and 13-pixel columns
// from x = 480 on.
TEST(MouseForwarder, ClicksOnTheTextScreenReportTheirCell) {
    CConsoleWin screen;
    screen.LayOut({0, 0, 1000, 500});
    RecordingMouse mouse;
    MouseForwarder::ButtonDown(screen, 479, 0, mouse);
    MouseForwarder::ButtonUp(screen, 480, 0, mouse);
    MouseForwarder::DoubleClick(screen, 999, 499, mouse);
    MouseForwarder::ButtonDown(screen, 125, 105, mouse);
    EXPECT_EQ(mouse.events,
              (std::vector<std::string>{"down 39,0", "up 40,0", "double 79,24", "down 10,5"}));
}

TEST(MouseForwarder, PointsOffTheGridAreDropped) {
    CConsoleWin screen;
    screen.LayOut({0, 0, 1000, 500});
    RecordingMouse mouse;
    MouseForwarder::ButtonDown(screen, 1000, 0, mouse);
    MouseForwarder::ButtonUp(screen, 0, 500, mouse);
    MouseForwarder::DoubleClick(screen, -1, 3, mouse);
    EXPECT_TRUE(mouse.events.empty());
}

TEST(MouseForwarder, TheStatusLineReportsRow255ForPressesAndDoubleClicksAndRow0ForReleases) {
    CVantorBar bar;
    bar.LayOut({0, 0, 1920, 60});
    RecordingMouse mouse;
    MouseForwarder::ButtonDown(bar, 50, 30, mouse);
    MouseForwarder::ButtonUp(bar, 50, 30, mouse);
    MouseForwarder::DoubleClick(bar, 50, 30, mouse);
    EXPECT_EQ(mouse.events, (std::vector<std::string>{"down 2,255", "up 2,0", "double 2,255"}));
}

TEST(MouseForwarder, AOneRowGridOnTheTextScreenAlsoReportsRow255) {
    CConsoleWin screen;
    screen.SetGridSize(10, 1);
    screen.LayOut({0, 0, 100, 20});
    RecordingMouse mouse;
    MouseForwarder::ButtonDown(screen, 35, 5, mouse);
    MouseForwarder::ButtonUp(screen, 35, 5, mouse);
    EXPECT_EQ(mouse.events, (std::vector<std::string>{"down 3,255", "up 3,0"}));
}

} // namespace
} // namespace qx44
