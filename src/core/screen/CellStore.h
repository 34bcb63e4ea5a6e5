#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CellDamage.h"
#include "core/screen/CellEdges.h"
#include "core/screen/CellGrid.h"
#include "core/screen/HalfMarker.h"
#include "core/screen/ScreenSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qx44 {

// The cells of a screen, fixed in number at construction, and the grid laid over them. Every
// writer records the cells it changed as damage right where it changes them (a run or a row of
// table dividers once, not cell by cell), so the cells a write changed are the ones asked to be
// repainted. No pixels and no lock: the screen that owns the store locks around every call and
// turns the damage into pixels with its layout.
class CellStore {
public:
    // Passed as the attribute to PutUnits or PutBytes: keep each cell's attribute.
    static constexpr int kKeepAttribute = -1;

    // Every cell cleared to spaces in `clearAttribute`, with no damage: a window's first paint
    // covers everything.
    CellStore(int capacityColumns, int capacityRows, CellGrid grid, int clearAttribute);

    int CapacityColumns() const { return capacityColumns_; }
    int CapacityRows() const { return capacityRows_; }
    std::int64_t Size() const { return static_cast<std::int64_t>(codes_.size()); }
    bool InStore(std::int64_t cellNumber) const { return cellNumber >= 0 && cellNumber < Size(); }
    const CellGrid& Grid() const { return grid_; }
    // At least 1 × 1, no wider than the store, and no more cells than it holds.
    bool Fits(int columns, int rows) const;
    // What was damaged on the old grid no longer says where anything is: all of the new one is.
    void SetGrid(CellGrid grid);

    // The writing rule: the text's cells from cell `start` on, stopping at the end of the store,
    // with the halves of two-cell characters it breaks made whole. Returns the cell after it.
    std::int64_t PutUnits(std::int64_t start, std::span<const char16_t> units, int attribute);
    // The same for text whose every byte is one cell of its own value, written as one run.
    std::int64_t PutBytes(std::int64_t start, std::span<const std::uint8_t> bytes, int attribute);
    // `count` cells from (column, row), skipping those outside the store; character 0 recolours
    // them without touching what they show.
    void SetRun(std::int64_t column, std::int64_t row, std::uint8_t character, int attribute,
                std::int64_t count);
    // One cell at a valid position, made whole together with the halves it broke.
    bool SetCell(std::int64_t column, std::int64_t row, std::uint16_t code, int attribute);
    // One cell at a valid position, neighbours left as they are; elsewhere nothing.
    void PutTableCell(std::int64_t column, std::int64_t row, std::uint16_t code, int attribute);
    // Columns left up to, not including, end of one grid row, all on the grid: one code, whole.
    void FillRow(std::int64_t row, std::int64_t left, std::int64_t end, std::uint16_t code,
                 int attribute);
    // Rows top to last, all on the grid, each getting codes[k] at columns[k] (columns on the
    // grid, a later one winning a column named twice); each row is damaged as one span.
    void PutColumns(std::int64_t top, std::int64_t last, std::span<const std::int64_t> columns,
                    std::span<const std::uint16_t> codes, int attribute);
    // A rectangle of runs, clipped against the store's capacity rather than the grid: on a grid
    // narrower than the store a rectangle that passes the right edge continues on the next row.
    void FillArea(std::int64_t column, std::int64_t row, std::int64_t width, std::int64_t height,
                  std::uint8_t character, int attribute);
    // Every cell a space in `attribute`, which becomes the fill attribute.
    void Clear(int attribute);
    int FillAttribute() const { return fillAttribute_; }

    // A cell of the store; `cellNumber` must lie in it.
    ScreenSnapshot::Cell Cell(std::size_t cellNumber) const {
        return {codes_[cellNumber], attributes_[cellNumber], halves_[cellNumber]};
    }
    // The cells the grid shows, in row order.
    std::vector<ScreenSnapshot::Cell> ShownCells() const;

    // Unites the pixels of the damaged cells in the layout of `edges` into `area` and forgets
    // the damage.
    void TakeDamageInto(PixelRect& area, const CellEdges& edges) { damage_.TakeInto(area, edges); }
    void ForgetDamage() { damage_.Clear(); }

private:
    // A cell costs seven bytes, in three arrays so that a write touches only the fields it
    // changes; a wider field would show in every fill.
    static_assert(sizeof(std::uint16_t) + sizeof(std::int32_t) + sizeof(HalfMarker) == 7);

    void StoreWhole(std::size_t cellNumber, std::uint16_t code, int attribute);
    // Only for a valid position, which always lies in the store.
    void SetWholeCell(std::int64_t column, std::int64_t row, std::uint16_t code, int attribute);
    // The cells first up to end, which must lie in the store, made whole with one code and one
    // attribute: a run costs one damage record, not one per cell.
    void FillRun(std::int64_t first, std::int64_t end, std::uint16_t code, int attribute);
    void MakeWhole(std::int64_t cellNumber, HalfMarker half);
    // The writing rule around `write`, which fills cells from `start` on (called only when that
    // lies in the store) and returns how many it advanced.
    template <typename Write> std::int64_t WriteText(std::int64_t start, Write&& write);

    const int capacityColumns_;
    const int capacityRows_;
    CellGrid grid_;
    int fillAttribute_ = 0;
    std::vector<std::uint16_t> codes_;
    std::vector<std::int32_t> attributes_;
    std::vector<HalfMarker> halves_;
    // Changed cells not yet asked to be repainted; they go with the next repaint request, since
    // some writes ask for none of their own.
    CellDamage damage_;
};

} // namespace qx44
