#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CellPosition.h"

#include <cstdint>
#include <optional>

namespace qx44 {

// Splits a window's client area into grid cells. Every column gets the same base width and the
// pixels that do not divide evenly go one each to the rightmost columns (rows likewise to the
// bottom), so the grid always fills the window exactly without a ragged edge.
class CellLayout {
public:
    static constexpr PixelRect kStaleMark{-1, -1, -1, -1};

    // Returns false when nothing had to be computed: the client area is the one laid out last
    // and the layout was not marked stale since. A view that builds its font from the cell size
    // compares BaseWidth and BaseHeight with the size of its font rather than relying on this
    // result, because the model may lay out on another thread (after a grid change).
    bool LayOut(const PixelRect& client, int columns, int rows);
    void MarkStale() { remembered_ = kStaleMark; }
    bool IsStale() const { return remembered_ == kStaleMark; }

    PixelRect RememberedClient() const { return remembered_; }
    int BaseWidth() const { return baseWidth_; }
    int BaseHeight() const { return baseHeight_; }
    int FirstWideColumn() const { return firstWideColumn_; }
    int FirstTallRow() const { return firstTallRow_; }

    // Cell edges are defined for any column or row, also outside the grid, because a repaint
    // request reaches one cell past the area it covers.
    std::int64_t X(std::int64_t column) const;
    std::int64_t CellWidth(std::int64_t column) const;
    std::int64_t Y(std::int64_t row) const;
    std::int64_t CellHeight(std::int64_t row) const;

    PixelRect CellRect(int column, int row) const;
    std::optional<CellPosition> HitTest(int x, int y, int columns, int rows) const;

    friend bool operator==(const CellLayout&, const CellLayout&) = default;

private:
    PixelRect remembered_;
    int baseWidth_ = 0;
    int baseHeight_ = 0;
    int firstWideColumn_ = 0;
    int firstTallRow_ = 0;
};

} // namespace qx44
