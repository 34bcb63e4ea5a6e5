#include "ui/screen/StatusLineView.h"

#include "core/screen/CVantorBar.h"
#include "core/settings/CQX44Setting.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using uitest::IsColour;
using uitest::WaitUntil;

const QColor kGrey(170, 170, 170);
const QColor kGreen(0, 255, 0);

// The status line at 1,000 × 60 pixels: 80 cells of 12 × 60 up to column 39.
class StatusLineViewTest : public ::testing::Test {
protected:
    StatusLineViewTest() {
        uitest::EnsureApplication();
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        view = std::make_unique<StatusLineView>(bar, boxes);
        view->resize(1000, 60);
        view->show();
        EXPECT_TRUE(WaitUntil([&] { return IsColour(Shown(), 999, 59, kGrey); }));
    }
    ~StatusLineViewTest() override {
        view.reset();
        CQX44Setting::SetFilePathOverride({});
    }

    QImage Shown() const { return view->grab().toImage(); }

    // A transfer file of 20 × 16 green pixels.
    std::string GreenPicture() const {
        QImage picture(20, 16, QImage::Format_RGB32);
        picture.fill(kGreen);
        const std::string path = dir.File("tmp.bmp");
        EXPECT_TRUE(picture.save(QString::fromStdString(path), "BMP"));
        return path;
    }

    test::TempDir dir;
    uitest::RecordingMessageBox boxes;
    CVantorBar bar;
    std::unique_ptr<StatusLineView> view;
};

// 20 pixels of picture take ⌈20 / 8⌉ = 3 cells, 36 pixels; the height stays 16.
TEST_F(StatusLineViewTest, APictureIsStretchedToWholeCellsOnTheOneRow) {
    view->ShowPicture(10, 255, GreenPicture());
    ASSERT_TRUE(WaitUntil([&] { return IsColour(Shown(), 155, 15, kGreen); }));
    const QImage shown = Shown();
    EXPECT_TRUE(IsColour(shown, 120, 0, kGreen));
    EXPECT_TRUE(IsColour(shown, 119, 0, kGrey));
    EXPECT_TRUE(IsColour(shown, 156, 0, kGrey));
    EXPECT_TRUE(IsColour(shown, 120, 16, kGrey));
}

// The indicators ask for the whole window when they change, which covers a picture as well.
TEST_F(StatusLineViewTest, ARepaintOfTheWholeWindowCoversAPicture) {
    view->ShowPicture(10, 255, GreenPicture());
    ASSERT_TRUE(WaitUntil([&] { return IsColour(Shown(), 155, 15, kGreen); }));
    view->InvalidateWindow();
    EXPECT_TRUE(WaitUntil([&] { return IsColour(Shown(), 155, 15, kGrey); }));
}

// The indicators come first and a host picture over them stays until the cells are repainted.
TEST_F(StatusLineViewTest, APictureOverTheIndicatorsStaysOnTop) {
    StatusIndicators indicators;
    view->SetIndicators(&indicators);
    indicators.SetSurface(view.get());
    indicators.SetNetworkState(StatusIndicators::kNetworkIdle);
    // The picture covers 75 to 78 base widths, the icon starts at column 74 of the cell split.
    const QPoint inside(bar.Layout().BaseWidth() * 78 - 2, 15);
    const auto shownAt = [&] { return Shown().pixelColor(inside).rgb(); };
    ASSERT_TRUE(WaitUntil([&] { return shownAt() != kGrey.rgb(); })) << "the network icon";
    const QRgb icon = shownAt();

    view->ShowPicture(75, 255, GreenPicture());
    EXPECT_TRUE(WaitUntil([&] { return shownAt() == kGreen.rgb(); }));
    indicators.SetNetworkState(StatusIndicators::kNetworkIdle);
    EXPECT_TRUE(WaitUntil([&] { return shownAt() == icon; }));
    indicators.SetSurface(nullptr);
    view->SetIndicators(nullptr);
}

} // namespace
} // namespace qx44
