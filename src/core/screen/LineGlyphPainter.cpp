#include "core/screen/LineGlyphPainter.h"

#include "core/screen/BevelGlyphPainter.h"
#include "core/screen/CVantor256Attr.h"

#include <algorithm>
#include <array>
#include <span>

namespace qx44 {

namespace {

enum class Segment {
    TopToBottom,
    LeftToRight,
    CentreToTop,
    CentreToBottom,
    CentreToLeft,
    CentreToRight,
};

struct Stroke {
    bool twin = false;
    Segment segment = Segment::TopToBottom;
};

struct Piece {
    std::uint32_t code = 0;
    std::array<Stroke, 2> strokes{};
    int count = 0;
};

constexpr Stroke Single(Segment segment) {
    return {false, segment};
}

constexpr Stroke Double(Segment segment) {
    return {true, segment};
}

constexpr Piece P(std::uint32_t code, Stroke stroke) {
    return {code, {stroke, {}}, 1};
}

constexpr Piece P(std::uint32_t code, Stroke first, Stroke second) {
    return {code, {first, second}, 2};
}

using enum Segment;

constexpr std::array kPieces{
    P(128, Double(CentreToTop), Double(CentreToRight)),    // ╚
    P(129, Double(CentreToBottom), Double(CentreToRight)), // ╔
    P(130, Double(CentreToTop), Double(CentreToLeft)),     // ╝
    P(131, Double(CentreToLeft), Double(CentreToBottom)),  // ╗
    P(132, Double(LeftToRight)),                           // ═
    P(133, Double(TopToBottom)),                           // ║
    P(179, Single(TopToBottom)),                           // │
    P(180, Single(TopToBottom), Single(CentreToLeft)),     // ┤
    P(185, Double(TopToBottom), Double(CentreToLeft)),     // ╣
    P(186, Double(TopToBottom)),                           // ║
    P(187, Double(CentreToLeft), Double(CentreToBottom)),  // ╗
    P(188, Double(CentreToTop), Double(CentreToLeft)),     // ╝
    P(191, Single(CentreToLeft), Single(CentreToBottom)),  // ┐
    P(192, Single(CentreToTop), Single(CentreToRight)),    // └
    P(193, Single(LeftToRight), Single(CentreToTop)),      // ┴
    P(194, Single(LeftToRight), Single(CentreToBottom)),   // ┬
    P(195, Single(TopToBottom), Single(CentreToRight)),    // ├
    P(196, Single(LeftToRight)),                           // ─
    P(197, Single(TopToBottom), Single(LeftToRight)),      // ┼
    P(200, Double(CentreToTop), Double(CentreToRight)),    // ╚
    P(201, Double(CentreToBottom), Double(CentreToRight)), // ╔
    P(202, Double(LeftToRight), Double(CentreToTop)),      // ╩
    P(203, Double(LeftToRight), Double(CentreToBottom)),   // ╦
    P(204, Double(TopToBottom), Double(CentreToRight)),    // ╠
    P(205, Double(LeftToRight)),                           // ═
    P(206, Double(TopToBottom), Double(LeftToRight)),      // ╬
    P(217, Single(CentreToTop), Single(CentreToLeft)),     // ┘
    P(218, Single(CentreToBottom), Single(CentreToRight)), // ┌
};

static_assert(std::is_sorted(kPieces.begin(), kPieces.end(),
                             [](const Piece& a, const Piece& b) { return a.code < b.code; }));

const Piece* FindPiece(std::uint32_t code) {
    // Text, which is most of what a screen shows, lies outside the table's codes.
    if (code < kPieces.front().code || code > kPieces.back().code) {
        return nullptr;
    }
    for (const Piece& piece : kPieces) {
        if (piece.code == code) {
            return &piece;
        }
    }
    return nullptr;
}

// In a cell too small to hold a stroke, the stroke has no length and draws nothing.
void DrawLine(PixelPoint from, PixelPoint to, RgbColor colour, IPainter& painter) {
    if (from != to) {
        painter.Line(from, to, colour);
    }
}

int HalfRoundedUp(int extent) {
    return extent / 2 + extent % 2;
}

// A pen line leaves out its end point. That suits a stroke running to the right or bottom edge,
// whose end point lies just outside the cell, but a stroke from the centre to the top or left
// edge would stop one pixel inside the cell and leave a gap where it should meet its neighbour;
// those two run one pixel further so that they reach the edge as well.
void DrawSegment(const PixelRect& cell, Stroke stroke, RgbColor colour, IPainter& painter) {
    const PixelPoint centre{cell.left + HalfRoundedUp(cell.Width()),
                            cell.top + HalfRoundedUp(cell.Height())};
    PixelPoint from = centre;
    PixelPoint to = centre;
    switch (stroke.segment) {
    case TopToBottom:
        from = {centre.x, cell.top};
        to = {centre.x, cell.bottom};
        break;
    case LeftToRight:
        from = {cell.left, centre.y};
        to = {cell.right, centre.y};
        break;
    case CentreToTop:
        to = {centre.x, cell.top - 1};
        break;
    case CentreToBottom:
        to = {centre.x, cell.bottom};
        break;
    case CentreToLeft:
        to = {cell.left - 1, centre.y};
        break;
    case CentreToRight:
        to = {cell.right, centre.y};
        break;
    }
    if (!stroke.twin) {
        DrawLine(from, to, colour, painter);
        return;
    }
    // A double stroke is the two lines either side of the single one; the middle stays empty.
    const bool vertical = stroke.segment == TopToBottom || stroke.segment == CentreToTop ||
                          stroke.segment == CentreToBottom;
    const PixelPoint offset = vertical ? PixelPoint{1, 0} : PixelPoint{0, 1};
    for (const int side : {-1, 1}) {
        DrawLine({from.x + side * offset.x, from.y + side * offset.y},
                 {to.x + side * offset.x, to.y + side * offset.y}, colour, painter);
    }
}

} // namespace

bool LineGlyphPainter::IsLineCode(std::uint32_t code) {
    return FindPiece(code) != nullptr || BevelGlyphPainter::IsBevelCode(code);
}

void LineGlyphPainter::Paint(std::uint32_t code, const PixelRect& cell, int attribute,
                             IPainter& painter) {
    painter.FillRect(cell, CVantor256Attr::BackColor(attribute));
    if (const Piece* piece = FindPiece(code)) {
        const RgbColor pen = CVantor256Attr::ForeColor(attribute);
        for (const Stroke& stroke : std::span(piece->strokes).first(piece->count)) {
            DrawSegment(cell, stroke, pen, painter);
        }
        return;
    }
    BevelGlyphPainter::Paint(code, cell, painter);
}

} // namespace qx44
