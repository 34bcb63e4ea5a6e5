#include "core/screen/CDosScreen.h"

#include "core/screen/IScreenSurface.h"
#include "core/text/CUnicodeConverter.h"

#include <algorithm>
#include <array>

namespace qx44 {

namespace {

constexpr std::uint8_t kSpace = 32;

} // namespace

CDosScreen::CDosScreen(int capacityColumns, int capacityRows, int columns, int rows,
                       int clearAttribute)
    : store_(capacityColumns, capacityRows, CellGrid{columns, rows}, clearAttribute),
      layout_(capacityColumns, capacityRows) {}

template <typename Operation> auto CDosScreen::Change(Operation&& operation) {
    Repaint repaint;
    auto result = [&] {
        std::lock_guard lock(mutex_);
        repaint.surface = surface_;
        auto outcome = operation(repaint);
        if (repaint.area) {
            store_.TakeDamageInto(*repaint.area, layout_.Edges());
        } else if (repaint.cells) {
            store_.ForgetDamage();
        }
        return outcome;
    }();
    Deliver(repaint);
    return result;
}

void CDosScreen::Deliver(const Repaint& repaint) {
    if (repaint.surface == nullptr || (!repaint.area && !repaint.window) ||
        !repaint.surface->WindowExists()) {
        return;
    }
    if (repaint.area) {
        repaint.surface->InvalidateRect(*repaint.area);
    }
    if (repaint.window) {
        repaint.surface->RepaintHeld();
    }
}

std::optional<PixelRect> CDosScreen::ClientIfWindowExists() const {
    IScreenSurface* surface = nullptr;
    {
        std::lock_guard lock(mutex_);
        surface = surface_;
    }
    if (surface == nullptr || !surface->WindowExists()) {
        return std::nullopt;
    }
    return surface->ClientRect();
}

void CDosScreen::SetSurface(IScreenSurface* surface) {
    std::lock_guard lock(mutex_);
    surface_ = surface;
}

void CDosScreen::SetGridSizeLocked(int columns, int rows, const std::optional<PixelRect>& client,
                                   Repaint& repaint) {
    if (!store_.Fits(columns, rows)) {
        return;
    }
    layout_.MarkStale();
    const CellGrid old = store_.Grid();
    store_.FillArea(0, 0, old.columns, old.rows, kSpace, kClearedGridAttribute);
    InvalidateGridLocked(repaint);
    store_.SetGrid(CellGrid{columns, rows});
    if (client) {
        layout_.LayOut(*client, store_.Grid());
        // The window may still be resized before it paints; the stale mark makes that paint lay
        // the new grid out again whatever size it finds.
        layout_.MarkStale();
    }
}

void CDosScreen::InvalidateCellsLocked(std::int64_t column, std::int64_t row, std::int64_t width,
                                       std::int64_t height, Repaint& repaint) const {
    repaint.cells = true;
    if (repaint.surface == nullptr) {
        return;
    }
    repaint.Add(layout_.AreaRect(column, row, width, height));
}

void CDosScreen::InvalidateGridLocked(Repaint& repaint) const {
    const CellGrid& grid = store_.Grid();
    InvalidateCellsLocked(0, 0, grid.columns, grid.rows, repaint);
}

ScreenSnapshot CDosScreen::SnapshotLocked() const {
    ScreenSnapshot snapshot;
    snapshot.columns = store_.Grid().columns;
    snapshot.rows = store_.Grid().rows;
    snapshot.layout = layout_.Layout();
    snapshot.cells = store_.ShownCells();
    return snapshot;
}

int CDosScreen::PutText(int column, int row, std::span<const std::uint8_t> bytes, int attribute) {
    const std::span<const std::uint8_t> text = bytes.first(std::min(bytes.size(), kMaxTextBytes));
    // Only the decoded units are read; clearing the area first would cost as much as decoding.
    std::array<char16_t, kMaxTextBytes> units;
    const bool decodesToItself = CUnicodeConverter::DecodesToItself(text);
    const std::size_t count = decodesToItself ? 0 : CUnicodeConverter::DecodeText(units, text);
    return Change([&](Repaint& repaint) {
        const std::int64_t start = store_.Grid().CellNumber(column, row);
        if (decodesToItself) {
            store_.PutBytes(start, text, attribute);
        } else {
            store_.PutUnits(start, std::span<const char16_t>(units).first(count), attribute);
        }
        const std::int64_t cellsLeft = std::max<std::int64_t>(store_.Grid().CellCount() - start, 0);
        const std::int64_t width = std::min<std::int64_t>(text.size(), cellsLeft);
        InvalidateCellsLocked(column, row, width, 1, repaint);
        return 1;
    });
}

void CDosScreen::PutString(int column, int row, std::u16string_view text, int attribute) {
    Change([&](Repaint& repaint) {
        const std::int64_t start = store_.Grid().CellNumber(column, row);
        const std::int64_t written =
            store_.PutUnits(start, std::span<const char16_t>(text.data(), text.size()), attribute) -
            start;
        InvalidateCellsLocked(column, row, written + 1, 1, repaint);
        return 0;
    });
}

int CDosScreen::FillArea(int column, int row, int width, int height, std::uint8_t character,
                         int attribute) {
    return Change([&](Repaint& repaint) {
        store_.FillArea(column, row, width, height, character, attribute);
        InvalidateGridLocked(repaint);
        return 1;
    });
}

int CDosScreen::DrawBox(int column, int row, int width, int height, int attribute) {
    return Change([&](Repaint& repaint) {
        const auto box = FrameDrawer::DrawBox(store_, column, row, width, height, attribute);
        if (!box) {
            return 0;
        }
        InvalidateCellsLocked(box->column, box->row, box->width, box->height, repaint);
        return 1;
    });
}

int CDosScreen::DrawTable(int top, int left, int width, int height, int columnBands, int rowBands,
                          int background, int foreground, int style) {
    return Change([&](Repaint& repaint) {
        if (!FrameDrawer::DrawTable(store_, top, left, width, height, columnBands, rowBands,
                                    background, foreground, style)) {
            return 0;
        }
        // The table's fill asks for the whole grid, as FillArea does.
        InvalidateGridLocked(repaint);
        InvalidateCellsLocked(left, top, width, height, repaint);
        return 1;
    });
}

int CDosScreen::SetCell(int column, int row, std::uint16_t code, int attribute) {
    std::lock_guard lock(mutex_);
    return store_.SetCell(column, row, code, attribute) ? 1 : 0;
}

void CDosScreen::SetRun(int column, int row, std::uint8_t character, int attribute, int count) {
    std::lock_guard lock(mutex_);
    store_.SetRun(column, row, character, attribute, count);
}

void CDosScreen::ClearStore(int attribute) {
    std::lock_guard lock(mutex_);
    store_.Clear(attribute);
}

bool CDosScreen::SetGridMode(int mode) {
    static constexpr std::array<CellPosition, 6> kModes{
        {{40, 25}, {64, 25}, {80, 25}, {106, 31}, {129, 41}, {169, 51}}};
    if (mode == 0) {
        return true;
    }
    const CellPosition size = mode >= 1 && mode <= static_cast<int>(kModes.size())
                                  ? kModes[static_cast<std::size_t>(mode - 1)]
                                  : CellPosition{mode, mode};
    SetGridSize(size.column, size.row);
    return true;
}

int CDosScreen::SetGridSize(int columns, int rows) {
    const std::optional<PixelRect> client = ClientIfWindowExists();
    return Change([&](Repaint& repaint) {
        SetGridSizeLocked(columns, rows, client, repaint);
        return 1;
    });
}

void CDosScreen::HoldPaint(bool hold) {
    Change([&](Repaint& repaint) {
        paintHeld_ = hold;
        if (!hold && heldPaints_ > 0) {
            repaint.window = true;
            heldPaints_ = 0;
        }
        return 0;
    });
}

bool CDosScreen::RequestPaint() {
    std::lock_guard lock(mutex_);
    if (!paintHeld_) {
        return true;
    }
    heldPaints_ = heldPaints_ >= kMaxHeldPaints ? 1 : heldPaints_ + 1;
    return false;
}

int CDosScreen::InvalidateCells(int column, int row, int width, int height) {
    return Change([&](Repaint& repaint) {
        InvalidateCellsLocked(column, row, width, height, repaint);
        return 1;
    });
}

bool CDosScreen::InvalidateAll() {
    return Change([&](Repaint& repaint) {
        InvalidateGridLocked(repaint);
        return true;
    });
}

void CDosScreen::LayOut(const PixelRect& client) {
    std::lock_guard lock(mutex_);
    layout_.LayOut(client, store_.Grid());
}

PixelRect CDosScreen::CellRect(int column, int row) const {
    std::lock_guard lock(mutex_);
    return layout_.CellRect(column, row);
}

std::optional<CellPosition> CDosScreen::HitTest(int x, int y) const {
    std::lock_guard lock(mutex_);
    return layout_.HitTest(x, y, store_.Grid());
}

ScreenSnapshot CDosScreen::Snapshot() const {
    std::lock_guard lock(mutex_);
    return SnapshotLocked();
}

ScreenSnapshot CDosScreen::LayOutAndSnapshot(const PixelRect& client) {
    std::lock_guard lock(mutex_);
    layout_.LayOut(client, store_.Grid());
    return SnapshotLocked();
}

int CDosScreen::Columns() const {
    std::lock_guard lock(mutex_);
    return store_.Grid().columns;
}

int CDosScreen::Rows() const {
    std::lock_guard lock(mutex_);
    return store_.Grid().rows;
}

int CDosScreen::FillAttribute() const {
    std::lock_guard lock(mutex_);
    return store_.FillAttribute();
}

bool CDosScreen::IsPaintHeld() const {
    std::lock_guard lock(mutex_);
    return paintHeld_;
}

int CDosScreen::HeldPaintCount() const {
    std::lock_guard lock(mutex_);
    return heldPaints_;
}

CellLayout CDosScreen::Layout() const {
    std::lock_guard lock(mutex_);
    return layout_.Layout();
}

std::optional<CCellChar> CDosScreen::StoreCell(int cellNumber) const {
    std::lock_guard lock(mutex_);
    if (!store_.InStore(cellNumber)) {
        return std::nullopt;
    }
    const auto n = static_cast<std::size_t>(cellNumber);
    const ScreenSnapshot::Cell cell = store_.Cell(n);
    return CCellChar{cell.code, cell.attribute, cell.half, layout_.StoreCellRect(n)};
}

} // namespace qx44
