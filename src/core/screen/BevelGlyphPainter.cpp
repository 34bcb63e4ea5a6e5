#include "core/screen/BevelGlyphPainter.h"

#include <span>

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

void PaintSetA(std::uint32_t piece, const PixelRect& c, IPainter& painter) {
    const int l = c.left;
    const int t = c.top;
    const int r = c.right;
    const int b = c.bottom;
    using enum Direction;
    using enum Band;
    using enum Corner;
    using enum Treatment;
    switch (piece) {
    case 0: // left edge
        DrawBand({r, t}, {r, b}, Left, Raised, painter);
        break;
    case 1: // right edge
        DrawBand({l, t}, {l, b}, Right, Sunken, painter);
        break;
    case 2: // inner vertical
        DrawBand({l, t}, {l, b}, Right, Sunken, painter);
        DrawBand({r, t}, {r, b}, Left, Raised, painter);
        break;
    case 3: // top edge
        DrawBand({l, b}, {r, b}, Up, Raised, painter);
        break;
    case 4: // bottom edge
        DrawBand({l, t}, {r, t}, Down, Sunken, painter);
        break;
    case 5: // inner horizontal
        DrawBand({l, t}, {r, t}, Down, Sunken, painter);
        DrawBand({l, b}, {r, b}, Up, Raised, painter);
        break;
    case 6: // top-left corner
        Treat(c, BottomRight, K0, painter);
        break;
    case 7: // top-right corner
        Treat(c, BottomLeft, K1, painter);
        break;
    case 8: // junction on the top edge
        Treat(c, BottomLeft, K1, painter);
        Treat(c, BottomRight, K0, painter);
        break;
    case 9: // bottom-left corner
        Treat(c, TopRight, K2, painter);
        break;
    case 10: // bottom-right corner
        Treat(c, TopLeft, K3, painter);
        break;
    case 11: // junction on the bottom edge
        Treat(c, TopLeft, K3, painter);
        Treat(c, TopRight, K2, painter);
        break;
    case 12: // crossing
        Treat(c, TopLeft, K3, painter);
        Treat(c, BottomLeft, K1, painter);
        Treat(c, TopRight, K2, painter);
        Treat(c, BottomRight, K0, painter);
        break;
    case 13: // junction on the left edge
        Treat(c, TopRight, K2, painter);
        Treat(c, BottomRight, K0, painter);
        break;
    case 14: // junction on the right edge
        Treat(c, TopLeft, K3, painter);
        Treat(c, BottomLeft, K1, painter);
        break;
    default:
        break;
    }
}

void PaintSetB(std::uint32_t piece, const PixelRect& c, IPainter& painter) {
    const int l = c.left;
    const int t = c.top;
    const int r = c.right;
    const int b = c.bottom;
    using enum Direction;
    using enum Band;
    using enum Corner;
    using enum Treatment;
    switch (piece) {
    case 0: // left edge
        DrawBand({r - 3, t}, {r - 3, b}, Right, Sunken, painter);
        break;
    case 1: // right edge
        DrawBand({l, t}, {l, b}, Right, Raised, painter);
        break;
    case 2: // inner vertical
        DrawBand({l, t}, {l, b}, Right, Raised, painter);
        DrawBand({r - 3, t}, {r - 3, b}, Right, Sunken, painter);
        break;
    case 3: // top edge
        DrawBand({l, b - 3}, {r, b - 3}, Down, Sunken, painter);
        break;
    case 4: // bottom edge
        DrawBand({l, t}, {r, t}, Down, Raised, painter);
        break;
    case 5: // inner horizontal
        DrawBand({l, t}, {r, t}, Down, Raised, painter);
        DrawBand({l, b - 3}, {r, b - 3}, Down, Sunken, painter);
        break;
    case 6: // top-left corner
        Treat(c, BottomRight, K3, painter);
        break;
    case 7: // top-right corner
        Treat(c, BottomLeft, K4, painter);
        break;
    case 8: // junction on the top edge
        Treat(c, BottomLeft, K4, painter);
        Treat(c, BottomRight, K3, painter);
        break;
    case 9: // bottom-left corner
        Treat(c, TopRight, K5, painter);
        break;
    case 10: // bottom-right corner
        Treat(c, TopLeft, K0, painter);
        break;
    case 11: // junction on the bottom edge
        Treat(c, TopLeft, K0, painter);
        Treat(c, TopRight, K5, painter);
        break;
    case 12: // crossing
        Treat(c, TopLeft, K0, painter);
        Treat(c, TopRight, K5, painter);
        Treat(c, BottomLeft, K4, painter);
        Treat(c, BottomRight, K3, painter);
        break;
    case 13: // junction on the left edge
        Treat(c, TopRight, K5, painter);
        Treat(c, BottomRight, K3, painter);
        break;
    case 14: // junction on the right edge
        Treat(c, TopLeft, K0, painter);
        Treat(c, BottomLeft, K4, painter);
        break;
    default:
        break;
    }
}

} // namespace

bool BevelGlyphPainter::IsBevelCode(std::uint32_t code) {
    return (code >= kSetA && code < kSetA + kPiecesPerSet) ||
           (code >= kSetB && code < kSetB + kPiecesPerSet);
}

void BevelGlyphPainter::Paint(std::uint32_t code, const PixelRect& cell, IPainter& painter) {
    if (code >= kSetA && code < kSetA + kPiecesPerSet) {
        PaintSetA(code - kSetA, cell, painter);
    } else if (code >= kSetB && code < kSetB + kPiecesPerSet) {
        PaintSetB(code - kSetB, cell, painter);
    }
}

} // namespace qx44
