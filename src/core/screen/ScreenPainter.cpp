#include "core/screen/ScreenPainter.h"

#include "core/screen/CVantor256Attr.h"
#include "core/screen/LineGlyphPainter.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

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
    std::vector<Piece> pieces(static_cast<std::size_t>(std::max(screen.columns, 0)));
    // Every row's cells share the columns' edges, worked out once instead of once per cell.
    const CellEdges edges(screen.layout, screen.columns, screen.rows);
    for (int row = 0; row < screen.rows; ++row) {
        const std::int64_t top = edges.Top(row) - kReach;
        const std::int64_t bottom = edges.Bottom(row) + kReach;
        if (bottom <= area.top || top >= area.bottom) {
            continue;
        }
        PlanRow(screen, row, edges, pieces);
        PaintBackgrounds(screen, row, pieces, painter);
        PaintGlyphs(screen, row, pieces, painter);
    }
}

void ScreenPainter::PlanRow(const ScreenSnapshot& screen, int row, const CellEdges& edges,
                            std::span<Piece> pieces) {
    const std::size_t first = static_cast<std::size_t>(row) * screen.columns;
    const std::int64_t top = edges.Top(row);
    const std::int64_t bottom = edges.Bottom(row);
    // A line piece may draw a pixel into the cell to its right; until then a cell holds only
    // its background, which the surface may draw together with the glyph.
    bool lineOnLeft = false;
    for (int column = 0; column < screen.columns; ++column) {
        const std::size_t n = first + column;
        const ScreenSnapshot::Cell& cell = screen.cells[n];
        Piece& piece = pieces[column];
        piece.cell = PixelRect::FromEdges(edges.Left(column), top, edges.Right(column), bottom);
        piece.kind = Piece::Kind::Nothing;
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
        piece.code = next != nullptr ? (std::uint32_t{cell.code} << 8) | next->code
                                     : std::uint32_t{cell.code};
        if (piece.code == kNothing || piece.code == kSpace) {
            continue;
        }
        if (LineGlyphPainter::IsLineCode(piece.code)) {
            piece.kind = Piece::Kind::Line;
            lineOnLeft = true;
            continue;
        }
        PixelRect rect = piece.cell;
        if (piece.code >= kFirstWideCode && next != nullptr) {
            const int nextColumn = column + 1 < screen.columns ? column + 1 : 0;
            rect.right += static_cast<int>(screen.layout.CellWidth(nextColumn));
        }
        if (rect.IsEmpty()) {
            continue;
        }
        // A wide character also covers its second cell, whose background may differ.
        const bool whole = onBackground && rect.Width() == piece.cell.Width();
        piece.kind = whole ? Piece::Kind::WholeCell : Piece::Kind::Glyph;
        piece.glyph = rect;
    }
}

void ScreenPainter::PaintBackgrounds(const ScreenSnapshot& screen, int row,
                                     std::span<const Piece> pieces, IPainter& painter) {
    const std::size_t first = static_cast<std::size_t>(row) * screen.columns;
    // A cell the surface draws whole, background and glyph, needs no fill beneath it.
    const bool wholeCells = painter.DrawsWholeCells();
    PixelRect run;
    std::int32_t runAttribute = 0;
    RgbColor runColour;
    for (int column = 0; column < screen.columns; ++column) {
        const ScreenSnapshot::Cell& cell = screen.cells[first + column];
        const Piece& piece = pieces[column];
        if (wholeCells && piece.kind == Piece::Kind::WholeCell) {
            if (run.right - run.left > 0) {
                painter.FillRect(run, runColour);
            }
            run = {};
            continue;
        }
        const PixelRect& rect = piece.cell;
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

void ScreenPainter::PaintGlyphs(const ScreenSnapshot& screen, int row,
                                std::span<const Piece> pieces, IPainter& painter) {
    const std::size_t first = static_cast<std::size_t>(row) * screen.columns;
    // Neighbouring cells mostly share their attribute, whose colours are then looked up once.
    std::int32_t coloured = screen.columns > 0 ? ~screen.cells[first].attribute : 0;
    RgbColor fore;
    RgbColor back;
    for (int column = 0; column < screen.columns; ++column) {
        const Piece& piece = pieces[column];
        const std::int32_t attribute = screen.cells[first + column].attribute;
        if (attribute != coloured) {
            coloured = attribute;
            fore = CVantor256Attr::ForeColor(attribute);
            back = CVantor256Attr::BackColor(attribute);
        }
        switch (piece.kind) {
        case Piece::Kind::Nothing:
            break;
        case Piece::Kind::Line:
            LineGlyphPainter::Paint(piece.code, piece.cell, attribute, painter);
            break;
        case Piece::Kind::Glyph:
            painter.Glyph(piece.glyph, static_cast<char16_t>(piece.code), fore);
            break;
        case Piece::Kind::WholeCell:
            painter.GlyphOnBackground(piece.glyph, static_cast<char16_t>(piece.code), fore, back);
            break;
        }
    }
}

} // namespace qx44
