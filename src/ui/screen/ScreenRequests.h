#pragma once

#include "ui/widgets/CPicture.h"

#include <QRegion>
#include <mutex>
#include <variant>
#include <vector>

namespace qx44 {

// What other threads ask of a screen window, in the order they asked: areas to repaint and
// pictures to draw. Areas asked for one after another merge into one, so the window's work per
// hand-over does not grow with the number of host messages, and a picture stays after the
// areas asked for before it and before those asked for after it.
class ScreenRequests {
public:
    struct Picture {
        int column = 0;
        int row = 0;
        CPicture picture;
    };
    using Request = std::variant<QRegion, Picture>;

    // Beyond this many rectangles an area becomes its bounding rectangle.
    static constexpr int kMaxAreaRects = 32;

    // Each returns true when the window must be asked to take the requests: nobody has asked it
    // since it last took them.
    bool AddArea(const QRect& area);
    bool AddPicture(Picture picture);
    // Only makes sure the window takes the requests (and repaints what it still owes).
    bool Wake();

    std::vector<Request> Take();

private:
    bool Woken();

    std::mutex mutex_;
    std::vector<Request> requests_;
    bool woken_ = false;
};

} // namespace qx44
