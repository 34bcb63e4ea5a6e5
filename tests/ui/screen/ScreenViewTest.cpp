#include "ui/screen/ScreenView.h"

#include "core/screen/CConsoleWin.h"
#include "core/screen/CGlobalFunction.h"
#include "core/screen/IScreenMouse.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/RecordingMouse.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"
#include "ui/app/StationFonts.h"

#include <QMouseEvent>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace qx44 {
namespace {

using uitest::IsColour;
using uitest::WaitUntil;

const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kRed(255, 0, 0);

std::vector<std::uint8_t> Bytes(const char* text) {
    return {text, text + std::strlen(text)};
}

bool AnyIn(const QImage& image, const PixelRect& rect, QColor colour) {
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (IsColour(image, x, y, colour)) {
                return true;
            }
        }
    }
    return false;
}

bool AllIn(const QImage& image, const PixelRect& rect, QColor colour) {
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (!IsColour(image, x, y, colour)) {
                return false;
            }
        }
    }
    return true;
}

int CountIn(const QImage& image, const PixelRect& rect, QColor colour) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            count += IsColour(image, x, y, colour) ? 1 : 0;
        }
    }
    return count;
}

using test::RecordingMouse;

// The text screen's window at 1,000 × 500 pixels: 80 × 25 cells of 12 × 20 up to column 39.
class ScreenViewTest : public ::testing::Test {
protected:
    ScreenViewTest() {
        uitest::EnsureApplication();
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        view = std::make_unique<ScreenView>(screen, boxes);
        view->resize(1000, 500);
        view->show();
        EXPECT_TRUE(WaitUntil([&] { return IsColour(Shown(), 999, 499, kBlue); }));
    }
    ~ScreenViewTest() override {
        view.reset();
        CQX44Setting::SetFilePathOverride({});
    }

    QImage Shown() const { return view->grab().toImage(); }

    std::string SavePicture(int width, int height, QColor colour) const {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = dir.File("tmp.bmp");
        EXPECT_TRUE(image.save(QString::fromStdString(path), "BMP"));
        return path;
    }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(type, at, view->mapToGlobal(at), button, button, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }

    test::TempDir dir;
    uitest::RecordingMessageBox boxes;
    CConsoleWin screen;
    std::unique_ptr<ScreenView> view;
};

TEST_F(ScreenViewTest, TextIsDrawnInItsCellsInItsColours) {
    screen.PutText(10, 5, Bytes("Hi"), 0xD200);
    const PixelRect h = screen.CellRect(10, 5);
    const PixelRect i = screen.CellRect(11, 5);
    ASSERT_TRUE(WaitUntil([&] { return AnyIn(Shown(), h, kWhite); }));
    const QImage shown = Shown();
    EXPECT_TRUE(AnyIn(shown, i, kWhite));
    for (const PixelRect& cell : {h, i}) {
        EXPECT_TRUE(IsColour(shown, cell.left, cell.top, kBlue));
        EXPECT_TRUE(IsColour(shown, cell.right - 1, cell.bottom - 1, kBlue));
        // Anti-aliased edges blend white into blue; nothing else appears.
        for (int y = cell.top; y < cell.bottom; ++y) {
            for (int x = cell.left; x < cell.right; ++x) {
                ASSERT_EQ(shown.pixelColor(x, y).blue(), 255) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(AllIn(shown, screen.CellRect(9, 5), kBlue));
    EXPECT_TRUE(AllIn(shown, screen.CellRect(12, 5), kBlue));
    EXPECT_TRUE(AllIn(shown, screen.CellRect(10, 4), kBlue));
    EXPECT_TRUE(AllIn(shown, screen.CellRect(10, 6), kBlue));
}

TEST_F(ScreenViewTest, TextRunningPastTheRowEndIsDrawnOnTheNextRow) {
    screen.PutText(77, 3, Bytes("ABCDEF"), 0xD200);
    screen.PutText(85, 6, Bytes("XY"), 0xD200);
    for (const auto& [column, row] : {std::pair{77, 3}, {79, 3}, {0, 4}, {2, 4}, {5, 7}, {6, 7}}) {
        EXPECT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(column, row), kWhite); }))
            << column << ", " << row;
    }
    EXPECT_EQ(ScreenDump::Text(screen.Snapshot(), 0, 4, 3, 1), "DEF\n");
}

TEST_F(ScreenViewTest, AWideCharacterIsDrawnAcrossItsTwoCells) {
    screen.PutText(10, 5, Bytes("\xE4\xB8\xAD"), 0xD200);
    const PixelRect first = screen.CellRect(10, 5);
    const PixelRect second = screen.CellRect(11, 5);
    ASSERT_TRUE(WaitUntil([&] { return AnyIn(Shown(), first, kWhite); }));
    EXPECT_TRUE(AnyIn(Shown(), second, kWhite));
}

// Single-line table: the corners and junctions draw from their cell's centre, the lines between
// reach every edge, so a divider is one unbroken line from corner to corner.
TEST_F(ScreenViewTest, TableLinesRunUnbrokenAcrossCellBorders) {
    screen.DrawTable(2, 3, 20, 9, 2, 2, 210, 0, 1);
    const auto centre = [&](int column, int row) {
        const PixelRect cell = screen.CellRect(column, row);
        return QPoint(cell.left + (cell.Width() + 1) / 2, cell.top + (cell.Height() + 1) / 2);
    };
    const QPoint topLeft = centre(3, 2);
    const QPoint bottomRight = centre(22, 10);
    ASSERT_TRUE(WaitUntil([&] { return IsColour(Shown(), topLeft.x(), topLeft.y(), kWhite); }));
    const QImage shown = Shown();
    // Rows 2, 6 and 10 are the dividers; columns 3, 13 and 22.
    for (const int row : {2, 6, 10}) {
        const int y = centre(3, row).y();
        for (int x = topLeft.x(); x <= bottomRight.x(); ++x) {
            ASSERT_TRUE(IsColour(shown, x, y, kWhite)) << "row " << row << " x " << x;
        }
        EXPECT_TRUE(IsColour(shown, topLeft.x() - 1, y, kBlue));
        EXPECT_TRUE(IsColour(shown, bottomRight.x() + 1, y, kBlue));
    }
    for (const int column : {3, 13, 22}) {
        const int x = centre(column, 2).x();
        for (int y = topLeft.y(); y <= bottomRight.y(); ++y) {
            ASSERT_TRUE(IsColour(shown, x, y, kWhite)) << "column " << column << " y " << y;
        }
    }
    EXPECT_TRUE(AllIn(shown, screen.CellRect(8, 4), kBlue));
}

TEST_F(ScreenViewTest, AHostPictureAppearsAtItsCellUntilTheCellsAreRepainted) {
    const std::string path = SavePicture(40, 30, kRed);
    view->ShowPicture(5, 2, path);
    ASSERT_TRUE(WaitUntil([&] { return AllIn(Shown(), {60, 40, 100, 70}, kRed); }));
    EXPECT_FALSE(std::filesystem::exists(path));
    const QImage shown = Shown();
    EXPECT_TRUE(IsColour(shown, 100, 40, kBlue));
    EXPECT_TRUE(IsColour(shown, 60, 70, kBlue));

    screen.InvalidateAll();
    EXPECT_TRUE(WaitUntil([&] { return AllIn(Shown(), {60, 40, 100, 70}, kBlue); }));
}

TEST_F(ScreenViewTest, APictureFromTheReceiveThreadIsDrawnByTheWindow) {
    const std::string path = SavePicture(40, 30, kRed);
    std::thread receiver([&] { view->ShowPicture(5, 2, path); });
    receiver.join();
    EXPECT_TRUE(WaitUntil([&] { return AllIn(Shown(), {60, 40, 100, 70}, kRed); }));
}

TEST_F(ScreenViewTest, CellsWrittenBeforeAPictureLieUnderItAndCellsWrittenAfterCoverIt) {
    screen.PutText(5, 2, Bytes("AB"), 0xD200);
    view->ShowPicture(5, 2, SavePicture(40, 30, kRed));
    ASSERT_TRUE(WaitUntil([&] { return AllIn(Shown(), {60, 40, 100, 70}, kRed); }));

    screen.PutText(5, 2, Bytes("CD"), 0xD200);
    EXPECT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(5, 2), kWhite); }));
    // The repaint reaches one cell past the text (columns 5 to 7, rows 2 and 3); column 8 keeps
    // its part of the picture.
    EXPECT_FALSE(AnyIn(Shown(), {60, 40, 96, 80}, kRed));
    EXPECT_TRUE(AllIn(Shown(), {96, 40, 100, 70}, kRed));
}

TEST_F(ScreenViewTest, APictureThatCannotBeLoadedIsReportedAndNothingIsDrawn) {
    view->ShowPicture(5, 2, dir.File("missing.bmp"));
    test::TempDir::WriteText(dir.File("tmp.bmp"), "not a picture");
    view->ShowPicture(5, 2, dir.File("tmp.bmp"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("tmp.bmp")));
    EXPECT_EQ(boxes.Boxes(),
              (std::vector<std::string>{std::string("CPicture Error: ") + std::strerror(ENOENT)}));
    EXPECT_TRUE(AllIn(Shown(), {60, 40, 100, 70}, kBlue));
}

TEST_F(ScreenViewTest, APaintWhileHeldIsCountedAndTheReleaseRepaints) {
    screen.HoldPaint(true);
    screen.PutText(10, 5, Bytes("Hi"), 0xD200);
    ASSERT_TRUE(WaitUntil([&] { return screen.HeldPaintCount() >= 1; }));
    EXPECT_TRUE(AllIn(Shown(), screen.CellRect(10, 5), kBlue));

    screen.HoldPaint(false);
    EXPECT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(10, 5), kWhite); }));
}

TEST_F(ScreenViewTest, ABatchOfHostWritesCostsOnePaint) {
    screen.HoldPaint(true);
    std::thread receiver([&] {
        for (int i = 0; i < 2000; ++i) {
            screen.PutText(i % 80, i / 80 % 25, Bytes("x"), 0xD200);
        }
    });
    receiver.join();
    ASSERT_TRUE(WaitUntil([&] { return screen.HeldPaintCount() >= 1; }));
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(screen.HeldPaintCount(), 1);

    screen.HoldPaint(false);
    EXPECT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(79, 24), kWhite); }));
}

// A host that streams without a pause holds painting nearly all the time: the next batch takes
// the hold before the window comes to paint. The paint a hold refused is still made good when
// that hold ends, and is not refused again by the next one.
TEST_F(ScreenViewTest, TheNextBatchDoesNotKeepTheWindowFromPainting) {
    screen.HoldPaint(true);
    screen.PutText(10, 5, Bytes("Hi"), 0xD200);
    ASSERT_TRUE(WaitUntil([&] { return screen.HeldPaintCount() >= 1; }));
    screen.HoldPaint(false);
    screen.HoldPaint(true);
    EXPECT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(10, 5), kWhite); }));
    EXPECT_EQ(screen.HeldPaintCount(), 0);
    screen.HoldPaint(false);
}

// A hold that refused a paint ends in a repaint of what was put off, not of the whole window,
// which would also wipe out a picture the host sent during the hold.
TEST_F(ScreenViewTest, APictureSentDuringAHoldSurvivesItsRelease) {
    screen.HoldPaint(true);
    screen.PutText(0, 0, Bytes("x"), 0xD200);
    view->ShowPicture(5, 2, SavePicture(40, 30, kRed));
    ASSERT_TRUE(WaitUntil([&] { return screen.HeldPaintCount() >= 1; }));
    screen.HoldPaint(false);
    ASSERT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(0, 0), kWhite); }));
    EXPECT_TRUE(AllIn(Shown(), {60, 40, 100, 70}, kRed));
}

TEST_F(ScreenViewTest, EveryGridModeFillsTheWindowAtAnySize) {
    screen.SetGridMode(6);
    screen.PutString(168, 50, u"X", 0xD200);
    view->resize(1920, 1080);
    ASSERT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(168, 50), kWhite); }));
    EXPECT_EQ(screen.CellRect(168, 50).right, 1920);
    EXPECT_EQ(screen.CellRect(168, 50).bottom, 1080);

    screen.SetGridMode(1);
    screen.PutString(39, 24, u"X", 0xD200);
    ASSERT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(39, 24), kWhite); }));
    EXPECT_EQ(screen.CellRect(39, 24), (PixelRect{1872, 1036, 1920, 1080}));
}

// The station font draws the host's bytes as code page 437 glyphs, pixel for pixel; any other
// face would draw Latin-1 letters there, with anti-aliased edges.
TEST_F(ScreenViewTest, TheStationFontDrawsTheCodePage437GlyphsOfHostBytes) {
    const test::ScopedEnv dataHome("XDG_DATA_HOME", dir.Path());
    InstallStationFonts();
    test::TempDir::WriteText(dir.File("setting.txt"),
                             "[Font]\nName=ASCII VGA\nMarginH=5\nMarginW=4\nWeight=400\n");
    // Cells of 13 × 21 less the margins leave the face's own 9 × 16.
    view->resize(1040, 525);
    // Blocks, a shade, and two that text layout would swallow: a control and a soft hyphen.
    screen.PutText(10, 5, Bytes("\xDB \xDF \xB1 \x0A \xAD"), 0xD200);
    const struct {
        int column;
        int lit;
    } glyphs[] = {{10, 9 * 16}, {12, 9 * 8}, {14, 4 * 16}, {16, 88}, {18, 24}};
    ASSERT_TRUE(WaitUntil([&] { return AnyIn(Shown(), screen.CellRect(18, 5), kWhite); }));
    const QImage shown = Shown();
    for (const auto& glyph : glyphs) {
        const PixelRect cell = screen.CellRect(glyph.column, 5);
        EXPECT_EQ(CountIn(shown, cell, kWhite), glyph.lit) << glyph.column;
        EXPECT_EQ(CountIn(shown, cell, kBlue), cell.Width() * cell.Height() - glyph.lit)
            << glyph.column;
    }
}

TEST_F(ScreenViewTest, LeftButtonClicksReachTheMouseAsCells) {
    RecordingMouse mouse;
    view->SetMouse(&mouse);
    Send(QEvent::MouseButtonPress, {125, 105});
    Send(QEvent::MouseButtonRelease, {480, 0});
    Send(QEvent::MouseButtonDblClick, {479, 499});
    Send(QEvent::MouseButtonPress, {125, 105}, Qt::RightButton);
    EXPECT_EQ(mouse.events, (std::vector<std::string>{"down 10,5", "up 40,0", "double 39,24"}));
}

} // namespace
} // namespace qx44
