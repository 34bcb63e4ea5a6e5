#pragma once

#include "core/screen/CellLayout.h"
#include "core/screen/PixelRect.h"

#include <cstdint>
#include <vector>

namespace qx44 {

// The cells of a grid that changed since the damage was last taken: one span of columns per
// grid row, widened by every change. Changes are reported as store cell numbers, so a write that
// runs on into the next row damages both rows, and a cell beyond the grid damages nothing.
class CellDamage {
public:
    // The grid that cell numbers refer to. What was recorded for the old grid no longer says
    // where anything is, so the whole new grid counts as damaged.
    void SetGrid(int columns, int rows);

    void Add(std::int64_t cellNumber);
    void AddAll();
    void Clear();

    // One rectangle per damaged row, in the pixels of `layout`; the damage is forgotten.
    std::vector<PixelRect> Take(const CellLayout& layout);

private:
    struct Span {
        int left = 0;
        int right = 0; // exclusive; no damage while right <= left
    };

    int columns_ = 0;
    std::vector<Span> rows_;
};

} // namespace qx44
