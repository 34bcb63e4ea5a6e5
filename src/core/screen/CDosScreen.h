#pragma once

#include "core/screen/CCellChar.h"
#include "core/screen/CellDamage.h"
#include "core/screen/CellEdges.h"
#include "core/screen/CellLayout.h"
#include "core/screen/CellPosition.h"
#include "core/screen/PixelRect.h"
#include "core/screen/ScreenSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace qx44 {

class IScreenSurface;

// The cell store of a station screen and the grid laid over it. The store is fixed at
// construction; the grid decides which of its cells are shown and where: the cell at
// (column, row) is store cell row × columns + column, so a run of cells continues on the next
// grid row and a grid change re-maps every shown cell without moving anything.
//
// The receive thread writes while the user-interface thread paints, so every operation takes
// the screen's lock, and painters read through Snapshot. Repaint requests go to the attached
// surface after the lock is released.
class CDosScreen {
public:
    // Passed as the attribute to PutText or PutString: keep each cell's attribute.
    static constexpr int kKeepAttribute = -1;
    // A host text field holds at most this many bytes; PutText decodes no more.
    static constexpr std::size_t kMaxTextBytes = 256;
    static constexpr int kMaxTableBands = 255;
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
    int CapacityColumns() const { return capacityColumns_; }
    int CapacityRows() const { return capacityRows_; }
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

    template <typename Operation> auto Change(Operation&& operation);
    static void Deliver(const Repaint& repaint);
    std::optional<PixelRect> ClientIfWindowExists() const;

    std::int64_t StoreSize() const;
    bool InStore(std::int64_t cellNumber) const;
    // Every writer records the cells it changed as damage (a run or a row of table dividers
    // once, not cell by cell), so the cells a write changed are the ones asked to be repainted.
    // Only for a valid position, which always lies in the store.
    void SetWholeCellLocked(int column, int row, std::uint16_t code, int attribute);
    // The cell's fields alone, for a caller that records the damage itself.
    void StoreWholeLocked(std::size_t cellNumber, std::uint16_t code, int attribute);
    // The cells first up to end, which must lie in the store, made whole with one code and one
    // attribute: a run costs one damage record, not one per cell.
    void FillRunLocked(std::int64_t first, std::int64_t end, std::uint16_t code, int attribute);
    void MakeWholeLocked(std::int64_t cellNumber, HalfMarker half);
    std::int64_t CellNumber(std::int64_t column, std::int64_t row) const;
    bool IsValidPosition(std::int64_t column, std::int64_t row) const;
    bool GridFits(int columns, int rows) const;

    // The writing rule around `write`, which fills cells from `start` on (called only when that
    // lies in the store) and returns how many it advanced; returns the cell after the text.
    template <typename Write> std::int64_t WriteTextLocked(std::int64_t start, Write&& write);
    std::int64_t WriteUnitsLocked(std::int64_t start, std::span<const char16_t> units,
                                  int attribute);
    // Text whose every byte is one cell of its own value, written as one run.
    void WriteBytesLocked(std::int64_t start, std::span<const std::uint8_t> bytes, int attribute);
    void SetRunLocked(std::int64_t column, std::int64_t row, std::uint8_t character, int attribute,
                      std::int64_t count);
    bool SetCellLocked(std::int64_t column, std::int64_t row, std::uint16_t code, int attribute);
    void PutTableCellLocked(std::int64_t column, std::int64_t row, std::uint16_t code,
                            int attribute);
    void FillAreaLocked(std::int64_t column, std::int64_t row, std::int64_t width,
                        std::int64_t height, std::uint8_t character, int attribute,
                        Repaint& repaint);
    int DrawTableLocked(int top, int left, int width, int height, int columnBands, int rowBands,
                        int background, int foreground, int style, Repaint& repaint);
    void SetGridSizeLocked(int columns, int rows, const std::optional<PixelRect>& client,
                           Repaint& repaint);
    void InvalidateCellsLocked(std::int64_t column, std::int64_t row, std::int64_t width,
                               std::int64_t height, Repaint& repaint) const;
    void LayOutLocked(const PixelRect& client);
    ScreenSnapshot SnapshotLocked() const;

    mutable std::mutex mutex_;
    IScreenSurface* surface_ = nullptr;
    bool paintHeld_ = false;
    int heldPaints_ = 0;
    int columns_;
    int rows_;
    int fillAttribute_ = 0;
    const int capacityColumns_;
    const int capacityRows_;
    // The cell store, one array per field, so that a write touches only the fields it changes.
    std::vector<std::uint16_t> codes_;
    std::vector<std::int32_t> attributes_;
    std::vector<HalfMarker> halves_;
    // Where the last layout placed each cell; only the layout writes it.
    std::vector<PixelRect> rects_;
    CellLayout layout_;
    // The edges of layout_, for the repaint request of every write.
    CellEdges edges_;
    // Changed cells not yet asked to be repainted; they go with the next repaint request, since
    // some writes ask for none of their own.
    CellDamage damage_;
};

} // namespace qx44
