#include "core/screen/ScreenPainter.h"

#include "core/screen/CVantor256Attr.h"
#include "core/screen/LineGlyphPainter.h"

#include <limits>
#include <utility>

namespace qx44 {

namespace {

constexpr std::uint16_t kNothing = 0;
constexpr std::uint16_t kSpace = 32;

// The furthest a row's pieces reach beyond the row: a band of four lines, or a corner stroke
// starting one pixel above its cell.
constexpr int kReach = 4;

} // namespace

void ScreenPainter::Paint(const ScreenSnapshot& screen, IPainter& painter) {
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    Paint(screen, painter, {kMin, kMin, kMax, kMax});
}

void ScreenPainter::Paint(const ScreenSnapshot& screen, IPainter& painter, const PixelRect& area) {
    const CellLayout& layout = screen.layout;
    for (int row = 0; row < screen.rows; ++row) {
        const std::int64_t top = layout.Y(row) - kReach;
        const std::int64_t bottom = layout.Y(row) + layout.CellHeight(row) + kReach;
        if (bottom <= area.top || top >= area.bottom) {
            continue;
        }
        PaintBackgrounds(screen, row, painter);
        PaintGlyphs(screen, row, painter);
    }
}

void ScreenPainter::PaintBackgrounds(const ScreenSnapshot& screen, int row, IPainter& painter) {
    const std::size_t first = static_cast<std::size_t>(row) * screen.columns;
    PixelRect run;
    std::int32_t runAttribute = 0;
    RgbColor runColour;
    for (int column = 0; column < screen.columns; ++column) {
        const ScreenSnapshot::Cell& cell = screen.cells[first + column];
        const PixelRect rect = screen.layout.CellRect(column, row);
        if (run.right - run.left <= 0) {
            run = rect;
            runAttribute = cell.attribute;
            runColour = CVantor256Attr::BackColor(cell.attribute);
        } else if (cell.attribute == runAttribute ||
                   CVantor256Attr::BackColor(cell.attribute) == runColour) {
            run.right = rect.right;
        } else {
            painter.FillRect(run, runColour);
            run = rect;
            runAttribute = cell.attribute;
            runColour = CVantor256Attr::BackColor(cell.attribute);
        }
    }
    if (run.right - run.left > 0) {
        painter.FillRect(run, runColour);
    }
}

void ScreenPainter::PaintGlyphs(const ScreenSnapshot& screen, int row, IPainter& painter) {
    const std::size_t first = static_cast<std::size_t>(row) * screen.columns;
    // A line piece may draw a pixel into the cell to its right; until then a cell holds only
    // its background, which the surface may draw together with the glyph.
    bool lineOnLeft = false;
    for (int column = 0; column < screen.columns; ++column) {
        const std::size_t n = first + column;
        const ScreenSnapshot::Cell& cell = screen.cells[n];
        const bool onBackground = !std::exchange(lineOnLeft, false);
        if (cell.half == HalfMarker::Second) {
            continue;
        }
        // The second half is the next cell in store order, which for the last column is the
        // first cell of the next row. A character whose second half lies beyond the grid cannot
        // be shown whole, so its first cell shows the high byte alone.
        const ScreenSnapshot::Cell* next = nullptr;
        if (cell.half == HalfMarker::First && n + 1 < screen.cells.size() &&
            screen.cells[n + 1].half == HalfMarker::Second) {
            next = &screen.cells[n + 1];
        }
        const std::uint32_t code = next != nullptr ? (std::uint32_t{cell.code} << 8) | next->code
                                                   : std::uint32_t{cell.code};
        if (code == kNothing || code == kSpace) {
            continue;
        }
        PixelRect rect = screen.layout.CellRect(column, row);
        if (LineGlyphPainter::IsLineCode(code)) {
            LineGlyphPainter::Paint(code, rect, cell.attribute, painter);
            lineOnLeft = true;
            continue;
        }
        if (code >= kFirstWideCode && next != nullptr) {
            const int nextColumn = column + 1 < screen.columns ? column + 1 : 0;
            rect.right += static_cast<int>(screen.layout.CellWidth(nextColumn));
        }
        if (rect.IsEmpty()) {
            continue;
        }
        const RgbColor colour = CVantor256Attr::ForeColor(cell.attribute);
        // A wide character also covers its second cell, whose background may differ.
        if (onBackground && rect.Width() == screen.layout.CellWidth(column)) {
            painter.GlyphOnBackground(rect, static_cast<char16_t>(code), colour,
                                      CVantor256Attr::BackColor(cell.attribute));
        } else {
            painter.Glyph(rect, static_cast<char16_t>(code), colour);
        }
    }
}

} // namespace qx44
