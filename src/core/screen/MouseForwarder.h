#pragma once

namespace qx44 {

class CDosScreen;
class IScreenMouse;

// Turns left-button events at window pixels into cells for the mouse receiver. Points off the
// grid are dropped. On a one-row screen (the status line) presses and double clicks report row
// 255, by which the host tells the status line from the text screen's first row; releases keep
// row 0.
class MouseForwarder {
public:
    static constexpr int kOneRowScreenRow = 255;

    MouseForwarder() = delete;

    static void ButtonDown(const CDosScreen& screen, int x, int y, IScreenMouse& mouse);
    static void ButtonUp(const CDosScreen& screen, int x, int y, IScreenMouse& mouse);
    static void DoubleClick(const CDosScreen& screen, int x, int y, IScreenMouse& mouse);
};

} // namespace qx44
