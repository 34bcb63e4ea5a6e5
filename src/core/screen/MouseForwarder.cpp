#include "core/screen/MouseForwarder.h"

#include "core/screen/CDosScreen.h"
#include "core/screen/IScreenMouse.h"

namespace qx44 {

namespace {

int ReportedRow(const CDosScreen& screen, int row) {
    return screen.Rows() == 1 ? MouseForwarder::kOneRowScreenRow : row;
}

} // namespace

void MouseForwarder::ButtonDown(const CDosScreen& screen, int x, int y, IScreenMouse& mouse) {
    if (const auto cell = screen.HitTest(x, y)) {
        mouse.MouseDown(cell->column, ReportedRow(screen, cell->row));
    }
}

void MouseForwarder::ButtonUp(const CDosScreen& screen, int x, int y, IScreenMouse& mouse) {
    if (const auto cell = screen.HitTest(x, y)) {
        mouse.MouseUp(cell->column, cell->row);
    }
}

void MouseForwarder::DoubleClick(const CDosScreen& screen, int x, int y, IScreenMouse& mouse) {
    if (const auto cell = screen.HitTest(x, y)) {
        mouse.MouseDoubleClick(cell->column, ReportedRow(screen, cell->row));
    }
}

} // namespace qx44
