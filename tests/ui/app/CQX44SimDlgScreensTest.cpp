#include "core/settings/CQX44Setting.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/app/CQX44SimDlg.h"
#include "ui/screen/StatusLineView.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using uitest::IsColour;
using uitest::WaitUntil;

class CQX44SimDlgScreensTest : public ::testing::Test {
protected:
    CQX44SimDlgScreensTest() {
        uitest::EnsureApplication();
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    }
    ~CQX44SimDlgScreensTest() override { CQX44Setting::SetFilePathOverride({}); }

    // The text screen's window and the status line's, found among the main window's children.
    static std::pair<ScreenView*, StatusLineView*> Screens(CQX44SimDlg& window) {
        ScreenView* text = nullptr;
        for (ScreenView* view : window.findChildren<ScreenView*>()) {
            if (qobject_cast<StatusLineView*>(view) == nullptr) {
                text = view;
            }
        }
        return {text, window.findChild<StatusLineView*>()};
    }

    test::TempDir dir;
};

TEST_F(CQX44SimDlgScreensTest, TheStatusLineTakesTheBottom60PixelsAndTheTextScreenTheRest) {
    CQX44SimDlg window;
    window.resize(1024, 768);
    window.show();
    const auto [text, status] = Screens(window);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(text->geometry(), QRect(0, 0, 1024, 708));
    EXPECT_EQ(status->geometry(), QRect(0, 708, 1024, 60));
    EXPECT_TRUE(status->isVisible());
    // Blue text screen, grey status line.
    EXPECT_TRUE(WaitUntil([&] {
        const QImage shown = window.grab().toImage();
        return IsColour(shown, 500, 700, QColor(0, 0, 255)) &&
               IsColour(shown, 500, 710, QColor(170, 170, 170));
    }));
}

// The start tone holds up the event loop, so the status line must already be painted when the
// start returns to it.
TEST_F(CQX44SimDlgScreensTest, TheStatusLineIsPaintedDuringTheStart) {
    test::TempDir::WriteText(dir.File("setting.txt"), "[Net]\nPortNum=0\n[Main]\nBeeping=0\n");
    CQX44SimDlg window;
    window.resize(1024, 768);
    window.show();
    window.Initialise();
    EXPECT_TRUE(IsColour(window.StatusView().BackingImage(), 500, 10, QColor(170, 170, 170)));
}

TEST_F(CQX44SimDlgScreensTest, WithoutTheStatusLineTheTextScreenFillsTheWindow) {
    CQX44Setting().SetStatusLn(false);
    CQX44SimDlg window;
    window.resize(1024, 768);
    window.show();
    const auto [text, status] = Screens(window);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(text->geometry(), QRect(0, 0, 1024, 768));
    EXPECT_FALSE(status->isVisible());
}

} // namespace
} // namespace qx44
