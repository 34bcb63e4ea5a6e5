#pragma once

#include "core/screen/CellEdges.h"
#include "core/screen/IPainter.h"
#include "core/screen/ScreenSnapshot.h"

#include <span>

namespace qx44 {

// Paints a screen's cells row by row, top to bottom: for each row first the backgrounds, filled
// in runs of equal colour (except under cells the surface draws whole), then one glyph per cell
// from left to right. Line and bevel pieces may draw a line just outside their cell; the order
// makes the next row's backgrounds, or a line piece to the right, cover it again, so a painter
// must see the rows in this order.
class ScreenPainter {
public:
    // Characters from this code up are wide ideographs that cover both cells of a two-cell
    // character; below it a two-cell character is drawn in its first cell only.
    static constexpr std::uint32_t kFirstWideCode = 0x4E00;

    ScreenPainter() = delete;

    static void Paint(const ScreenSnapshot& screen, IPainter& painter);
    // Paints every row that can draw into `area`; what lands outside `area` is the painter's to
    // clip. Within `area` the result is the same as painting the whole screen.
    static void Paint(const ScreenSnapshot& screen, IPainter& painter, const PixelRect& area);

private:
    // How one cell of a row is drawn, worked out once for both passes over the row.
    struct Piece {
        enum class Kind : std::uint8_t { Nothing, Line, Glyph, WholeCell };
        PixelRect cell;
        // The glyph's box: the cell, or both cells of a wide character.
        PixelRect glyph;
        std::uint32_t code = 0;
        Kind kind = Kind::Nothing;
    };

    static void PlanRow(const ScreenSnapshot& screen, int row, const CellEdges& edges,
                        std::span<Piece> pieces);
    static void PaintBackgrounds(const ScreenSnapshot& screen, int row,
                                 std::span<const Piece> pieces, IPainter& painter);
    static void PaintGlyphs(const ScreenSnapshot& screen, int row, std::span<const Piece> pieces,
                            IPainter& painter);
};

} // namespace qx44
