#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CCellChar.h"
#include "core/screen/CellLayout.h"
#include "core/screen/CellPosition.h"
#include "core/screen/CellStore.h"
#include "core/screen/FrameDrawer.h"
#include "core/screen/ScreenLayout.h"
#include "core/screen/ScreenSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>

namespace qx44 {

class IScreenSurface;

// A station screen: its cell store with the grid laid over it, the layout of that grid in the
// window, the paint hold, and the repaints it asks of its surface.
//
// The receive thread writes while the user-interface thread paints, so every operation takes
// the screen's lock, and painters read through Snapshot. Repaint requests go to the attached
// surface after the lock is released.
class CDosScreen {
public:
    // Passed as the attribute to PutText or PutString: keep each cell's attribute.
    static constexpr int kKeepAttribute = CellStore::kKeepAttribute;
    // A host text field holds at most this many bytes; PutText decodes no more.
    static constexpr std::size_t kMaxTextBytes = 256;
    static constexpr int kMaxTableBands = FrameDrawer::kMaxTableBands;
    // Paint requests counted while painting is held wrap back to 1 past this value.
    static constexpr int kMaxHeldPaints = 999'999;

    static constexpr int kClearedGridAttribute = 0xD700;

    virtual ~CDosScreen() = default;
    CDosScreen(const CDosScreen&) = delete;
    CDosScreen& operator=(const CDosScreen&) = delete;

    // The surface must stay alive while attached; attach and detach (nullptr) it while no other
    // thread uses the screen.
    void SetSurface(IScreenSurface* surface);

    // Writing. PutText and PutString stop at the end of the store, FillArea and SetRun skip what
    // lies outside it. SetCell, DrawBox and DrawTable work on the grid and return 0, having drawn
    // nothing, when their corner is off the grid, the box has no size, or the table has no
    // bands.
    int PutText(int column, int row, std::span<const std::uint8_t> bytes, int attribute);
    void PutString(int column, int row, std::u16string_view text, int attribute);
    int FillArea(int column, int row, int width, int height, std::uint8_t character, int attribute);
    int DrawBox(int column, int row, int width, int height, int attribute);
    int DrawTable(int top, int left, int width, int height, int columnBands, int rowBands,
                  int background, int foreground, int style);
    int SetCell(int column, int row, std::uint16_t code, int attribute);
    void SetRun(int column, int row, std::uint8_t character, int attribute, int count);
    void ClearStore(int attribute);

    // Grid. A size that does not fit the store (or mode 0) leaves the grid as it is.
    bool SetGridMode(int mode);
    int SetGridSize(int columns, int rows);

    // Painting. While painting is held, RequestPaint refuses and counts; releasing the hold after
    // refused requests asks the surface for one repaint of the whole window.
    void HoldPaint(bool hold);
    bool RequestPaint();
    int InvalidateCells(int column, int row, int width, int height);
    bool InvalidateAll();

    // Layout of the grid over the window's client area.
    void LayOut(const PixelRect& client);
    PixelRect CellRect(int column, int row) const;
    std::optional<CellPosition> HitTest(int x, int y) const;

    ScreenSnapshot Snapshot() const;
    // What a paint needs: the layout for this client area and the cells, from one locked moment.
    ScreenSnapshot LayOutAndSnapshot(const PixelRect& client);

    int Columns() const;
    int Rows() const;
    int CapacityColumns() const { return store_.CapacityColumns(); }
    int CapacityRows() const { return store_.CapacityRows(); }
    int FillAttribute() const;
    bool IsPaintHeld() const;
    int HeldPaintCount() const;
    CellLayout Layout() const;
    // Any cell of the store, shown or not; none for a number outside the store.
    std::optional<CCellChar> StoreCell(int cellNumber) const;

protected:
    CDosScreen(int capacityColumns, int capacityRows, int columns, int rows, int clearAttribute);

private:
    // Repaint requests collected under the lock and delivered once it is released, so that a
    // surface may read the screen back without deadlocking against the writer.
    struct Repaint {
        IScreenSurface* surface = nullptr;
        std::optional<PixelRect> area;
        // Cells were asked to be repainted; without a surface no pixels are worked out for them.
        bool cells = false;
        bool window = false;

        void Add(const PixelRect& rect) { area = area ? area->United(rect) : rect; }
    };

    // Runs `operation` under the lock; the store's damage goes with the repaint it asks for.
    template <typename Operation> auto Change(Operation&& operation);
    static void Deliver(const Repaint& repaint);
    std::optional<PixelRect> ClientIfWindowExists() const;

    void SetGridSizeLocked(int columns, int rows, const std::optional<PixelRect>& client,
                           Repaint& repaint);
    void InvalidateCellsLocked(std::int64_t column, std::int64_t row, std::int64_t width,
                               std::int64_t height, Repaint& repaint) const;
    void InvalidateGridLocked(Repaint& repaint) const;
    ScreenSnapshot SnapshotLocked() const;

    mutable std::mutex mutex_;
    IScreenSurface* surface_ = nullptr;
    bool paintHeld_ = false;
    int heldPaints_ = 0;
    CellStore store_;
    ScreenLayout layout_;
};

} // namespace qx44
