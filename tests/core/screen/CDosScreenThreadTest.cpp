#include "core/screen/CConsoleWin.h"
#include "core/screen/ScreenTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace qx44 {

using screentest::Bytes;
using screentest::RecordingSurface;

namespace {

// The receive thread writes batches under a paint hold while the user-interface thread asks to
// paint and copies the cells; every copy must show a whole operation, never half of one.
TEST(ScreenThreads, SnapshotsNeverSeeHalfAWrite) {
    CConsoleWin screen;
    RecordingSurface surface;
    screen.SetSurface(&surface);
    screen.LayOut(surface.client);
    std::atomic<bool> writing{true};

    std::thread writer([&] {
        for (int k = 0; k < 400; ++k) {
            const auto letter = static_cast<std::uint8_t>('A' + k % 26);
            const int attribute = 0x0100 * (k % 200) + k % 7;
            screen.HoldPaint(true);
            screen.FillArea(0, 0, 80, 25, letter, attribute);
            screen.PutText(0, 0, Bytes("\xE4\xB8\xAD"), attribute);
            screen.HoldPaint(false);
        }
        writing = false;
    });

    int snapshots = 0;
    int inconsistent = 0;
    while (writing || snapshots == 0) {
        screen.RequestPaint();
        const ScreenSnapshot shown = screen.LayOutAndSnapshot(surface.client);
        ++snapshots;
        // Cells from column 2 on come from one fill; the first two hold the character written
        // after it, or the fill's letter when the copy fell between the two.
        const ScreenSnapshot::Cell reference = shown.cells[2];
        for (std::size_t n = 3; n < shown.cells.size(); ++n) {
            if (shown.cells[n] != reference) {
                ++inconsistent;
                break;
            }
        }
        const bool pair = shown.cells[0].code == 0x4E && shown.cells[1].code == 0x2D;
        const bool fill =
            shown.cells[0].code == reference.code && shown.cells[1].code == reference.code;
        if (!pair && !fill) {
            ++inconsistent;
        }
    }
    writer.join();

    EXPECT_GT(snapshots, 0);
    EXPECT_EQ(inconsistent, 0);
    EXPECT_FALSE(screen.IsPaintHeld());
    EXPECT_EQ(screen.HeldPaintCount(), 0);
}

TEST(ScreenThreads, SurfaceReadingBackFromTheWriterThreadDoesNotDeadlock) {
    CConsoleWin screen;
    RecordingSurface surface;
    std::atomic<int> readBack{0};
    surface.onInvalidate = [&] {
        screen.Snapshot();
        readBack.fetch_add(1);
    };
    screen.SetSurface(&surface);

    std::thread writer([&] {
        for (int k = 0; k < 200; ++k) {
            screen.PutText(k % 80, k % 25, Bytes("w"), 0xD200);
            screen.DrawTable(0, 0, 20, 10, 2, 2, 210, 0, k % 17);
        }
    });
    std::thread painter([&] {
        for (int k = 0; k < 200; ++k) {
            screen.LayOutAndSnapshot({0, 0, 1000 + k % 3, 500});
            screen.HitTest(k, k);
        }
    });
    writer.join();
    painter.join();
    EXPECT_EQ(readBack.load(), 400);
}

} // namespace

} // namespace qx44
