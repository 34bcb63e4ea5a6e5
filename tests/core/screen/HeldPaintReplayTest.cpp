#include "core/screen/CConsoleWin.h"
#include "core/screen/IScreenSurface.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

class ReplayingSurface : public IScreenSurface {
public:
    bool WindowExists() const override { return true; }
    PixelRect ClientRect() const override { return {0, 0, 1000, 500}; }
    void InvalidateWindow() override { ++wholeWindow; }
    void RepaintHeld() override { ++replays; }

    int wholeWindow = 0;
    int replays = 0;
};

TEST(HeldPaintReplay, ReleasingAHoldThatRefusedPaintsAsksTheWindowToMakeUpForThem) {
    CConsoleWin screen;
    ReplayingSurface surface;
    screen.SetSurface(&surface);
    screen.HoldPaint(true);
    screen.RequestPaint();
    screen.RequestPaint();
    screen.HoldPaint(false);
    EXPECT_EQ(surface.replays, 1);
    EXPECT_EQ(surface.wholeWindow, 0);

    screen.HoldPaint(true);
    screen.HoldPaint(false);
    EXPECT_EQ(surface.replays, 1);
    screen.SetSurface(nullptr);
}

TEST(HeldPaintReplay, AWindowThatKeepsNoAreasRepaintsEverything) {
    CConsoleWin screen;
    struct WholeWindowSurface : IScreenSurface {
        bool WindowExists() const override { return true; }
        void InvalidateWindow() override { ++wholeWindow; }
        int wholeWindow = 0;
    } surface;
    screen.SetSurface(&surface);
    screen.HoldPaint(true);
    screen.RequestPaint();
    screen.HoldPaint(false);
    EXPECT_EQ(surface.wholeWindow, 1);
    screen.SetSurface(nullptr);
}

} // namespace
} // namespace qx44
