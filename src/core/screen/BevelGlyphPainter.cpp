#include "core/screen/BevelGlyphPainter.h"

#include <array>
#include <span>
#include <utility>

namespace qx44 {

namespace {

constexpr RgbColor kWhite{255, 255, 255};
constexpr RgbColor kGrey{128, 128, 128};
constexpr RgbColor kDark{25, 25, 25};

constexpr std::uint32_t kSetA = 2048;
constexpr std::uint32_t kSetB = 2112;
constexpr std::uint32_t kPiecesPerSet = 15;

enum class Direction { Left, Right, Up, Down };

// A raised band is lit from the top left: two grey lines, then two white ones. A sunken band is
// two grey lines and a dark one.
enum class Band { Raised, Sunken };

void DrawLine(PixelPoint from, PixelPoint to, RgbColor colour, IPainter& painter) {
    if (from != to) {
        painter.Line(from, to, colour);
    }
}

PixelPoint Moved(PixelPoint point, Direction direction) {
    switch (direction) {
    case Direction::Left:
        return {point.x - 1, point.y};
    case Direction::Right:
        return {point.x + 1, point.y};
    case Direction::Up:
        return {point.x, point.y - 1};
    case Direction::Down:
        return {point.x, point.y + 1};
    }
    return point;
}

void DrawBand(PixelPoint from, PixelPoint to, Direction direction, Band band, IPainter& painter) {
    static constexpr RgbColor kRaised[] = {kGrey, kGrey, kWhite, kWhite};
    static constexpr RgbColor kSunken[] = {kGrey, kGrey, kDark};
    const std::span<const RgbColor> colours = band == Band::Raised
                                                  ? std::span<const RgbColor>(kRaised)
                                                  : std::span<const RgbColor>(kSunken);
    for (const RgbColor colour : colours) {
        DrawLine(from, to, colour, painter);
        from = Moved(from, direction);
        to = Moved(to, direction);
    }
}

// The 2 × 2 squares in the corners of a cell where bands of neighbouring pieces meet.
enum class Corner { TopLeft, TopRight, BottomLeft, BottomRight };

PixelRect Square(const PixelRect& cell, Corner corner) {
    switch (corner) {
    case Corner::TopLeft:
        return {cell.left, cell.top, cell.left + 2, cell.top + 2};
    case Corner::TopRight:
        return {cell.right - 2, cell.top, cell.right, cell.top + 2};
    case Corner::BottomLeft:
        return {cell.left, cell.bottom - 2, cell.left + 2, cell.bottom};
    case Corner::BottomRight:
        return {cell.right - 2, cell.bottom - 2, cell.right, cell.bottom};
    }
    return {};
}

// Corner treatments: the square is lit white and then shaded with short strokes so that the
// bands meeting there turn the corner (grey, grey, then dark furthest in).
enum class Treatment { K0, K1, K2, K3, K4, K5 };

RgbColor ShadeColour(int i) {
    return i < 2 ? kGrey : kDark;
}

void Treat(const PixelRect& cell, Corner corner, Treatment treatment, IPainter& painter) {
    const PixelRect s = Square(cell, corner);
    if (treatment != Treatment::K3) {
        painter.FillRect(s, kWhite);
    }
    switch (treatment) {
    case Treatment::K0:
        break;
    case Treatment::K1:
        for (int i = 0; i < 3; ++i) {
            DrawLine({s.left + i, s.bottom - i}, {s.left + i, s.bottom}, ShadeColour(i), painter);
        }
        break;
    case Treatment::K2:
        for (int i = 0; i < 3; ++i) {
            DrawLine({s.right - i, s.top + i}, {s.right, s.top + i}, ShadeColour(i), painter);
        }
        break;
    case Treatment::K3:
        for (int i = 0; i < 3; ++i) {
            DrawLine({s.left, s.top + i}, {s.left + i, s.top + i}, ShadeColour(i), painter);
        }
        for (int i = 0; i < 3; ++i) {
            DrawLine({s.left + i, s.top}, {s.left + i, s.top + i + 1}, ShadeColour(i), painter);
        }
        break;
    case Treatment::K4:
        for (int i = 0; i < 3; ++i) {
            DrawLine({s.left, s.top + i}, {s.right - i, s.top + i}, ShadeColour(i), painter);
        }
        break;
    case Treatment::K5:
        for (int i = 0; i < 3; ++i) {
            DrawLine({s.left + i, s.top - 1}, {s.left + i, s.bottom - i}, ShadeColour(i), painter);
        }
        break;
    }
}

// Where a band runs in its cell: down one of these columns, or along one of these rows.
enum class Edge { LeftColumn, RightColumn, InsetColumn, TopRow, BottomRow, InsetRow };

// One step of a piece: a band along an edge, or a corner treatment.
struct Step {
    bool isBand = false;
    Edge edge = Edge::LeftColumn;
    Direction direction = Direction::Left;
    Band band = Band::Raised;
    Corner corner = Corner::TopLeft;
    Treatment treatment = Treatment::K0;
};

constexpr Step BandStep(Edge edge, Direction direction, Band band) {
    return {true, edge, direction, band, Corner::TopLeft, Treatment::K0};
}

constexpr Step CornerStep(Corner corner, Treatment treatment) {
    return {false, Edge::LeftColumn, Direction::Left, Band::Raised, corner, treatment};
}

// A piece is at most four steps, drawn in order.
struct Piece {
    std::array<Step, 4> steps{};
    std::size_t count = 0;
};

template <typename... Steps> constexpr Piece Make(Steps... steps) {
    return {{steps...}, sizeof...(steps)};
}

using enum Edge;
using enum Direction;
using enum Band;
using enum Corner;
using enum Treatment;

// Pieces in set order: left, right and inner vertical edges; top, bottom and inner horizontal
// edges; top-left, top-right corners, top junction; bottom-left, bottom-right corners, bottom
// junction; crossing; left and right junctions.
constexpr std::array<Piece, kPiecesPerSet> kPiecesA = {
    Make(BandStep(RightColumn, Left, Raised)),
    Make(BandStep(LeftColumn, Right, Sunken)),
    Make(BandStep(LeftColumn, Right, Sunken), BandStep(RightColumn, Left, Raised)),
    Make(BandStep(BottomRow, Up, Raised)),
    Make(BandStep(TopRow, Down, Sunken)),
    Make(BandStep(TopRow, Down, Sunken), BandStep(BottomRow, Up, Raised)),
    Make(CornerStep(BottomRight, K0)),
    Make(CornerStep(BottomLeft, K1)),
    Make(CornerStep(BottomLeft, K1), CornerStep(BottomRight, K0)),
    Make(CornerStep(TopRight, K2)),
    Make(CornerStep(TopLeft, K3)),
    Make(CornerStep(TopLeft, K3), CornerStep(TopRight, K2)),
    Make(CornerStep(TopLeft, K3), CornerStep(BottomLeft, K1), CornerStep(TopRight, K2),
         CornerStep(BottomRight, K0)),
    Make(CornerStep(TopRight, K2), CornerStep(BottomRight, K0)),
    Make(CornerStep(TopLeft, K3), CornerStep(BottomLeft, K1)),
};

constexpr std::array<Piece, kPiecesPerSet> kPiecesB = {
    Make(BandStep(InsetColumn, Right, Sunken)),
    Make(BandStep(LeftColumn, Right, Raised)),
    Make(BandStep(LeftColumn, Right, Raised), BandStep(InsetColumn, Right, Sunken)),
    Make(BandStep(InsetRow, Down, Sunken)),
    Make(BandStep(TopRow, Down, Raised)),
    Make(BandStep(TopRow, Down, Raised), BandStep(InsetRow, Down, Sunken)),
    Make(CornerStep(BottomRight, K3)),
    Make(CornerStep(BottomLeft, K4)),
    Make(CornerStep(BottomLeft, K4), CornerStep(BottomRight, K3)),
    Make(CornerStep(TopRight, K5)),
    Make(CornerStep(TopLeft, K0)),
    Make(CornerStep(TopLeft, K0), CornerStep(TopRight, K5)),
    Make(CornerStep(TopLeft, K0), CornerStep(TopRight, K5), CornerStep(BottomLeft, K4),
         CornerStep(BottomRight, K3)),
    Make(CornerStep(TopRight, K5), CornerStep(BottomRight, K3)),
    Make(CornerStep(TopLeft, K0), CornerStep(BottomLeft, K4)),
};

// The band's first line: down the cell at a column, or across it at a row.
std::pair<PixelPoint, PixelPoint> EdgeLine(const PixelRect& c, Edge edge) {
    switch (edge) {
    case LeftColumn:
        return {{c.left, c.top}, {c.left, c.bottom}};
    case RightColumn:
        return {{c.right, c.top}, {c.right, c.bottom}};
    case InsetColumn:
        return {{c.right - 3, c.top}, {c.right - 3, c.bottom}};
    case TopRow:
        return {{c.left, c.top}, {c.right, c.top}};
    case BottomRow:
        return {{c.left, c.bottom}, {c.right, c.bottom}};
    case InsetRow:
        return {{c.left, c.bottom - 3}, {c.right, c.bottom - 3}};
    }
    return {};
}

void PaintPiece(const Piece& piece, const PixelRect& cell, IPainter& painter) {
    for (std::size_t i = 0; i < piece.count; ++i) {
        const Step& step = piece.steps[i];
        if (step.isBand) {
            const auto [from, to] = EdgeLine(cell, step.edge);
            DrawBand(from, to, step.direction, step.band, painter);
        } else {
            Treat(cell, step.corner, step.treatment, painter);
        }
    }
}

} // namespace

bool BevelGlyphPainter::IsBevelCode(std::uint32_t code) {
    return (code >= kSetA && code < kSetA + kPiecesPerSet) ||
           (code >= kSetB && code < kSetB + kPiecesPerSet);
}

void BevelGlyphPainter::Paint(std::uint32_t code, const PixelRect& cell, IPainter& painter) {
    if (code >= kSetA && code < kSetA + kPiecesPerSet) {
        PaintPiece(kPiecesA[code - kSetA], cell, painter);
    } else if (code >= kSetB && code < kSetB + kPiecesPerSet) {
        PaintPiece(kPiecesB[code - kSetB], cell, painter);
    }
}

} // namespace qx44
