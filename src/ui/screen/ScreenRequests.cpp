#include "ui/screen/ScreenRequests.h"

namespace qx44 {

bool ScreenRequests::AddArea(const QRect& area) {
    std::lock_guard lock(mutex_);
    QRegion* last = requests_.empty() ? nullptr : std::get_if<QRegion>(&requests_.back());
    if (last == nullptr) {
        requests_.emplace_back(QRegion(area));
    } else {
        *last += area;
        if (last->rectCount() > kMaxAreaRects) {
            *last = QRegion(last->boundingRect());
        }
    }
    return Woken();
}

bool ScreenRequests::AddPicture(Picture picture) {
    std::lock_guard lock(mutex_);
    requests_.emplace_back(std::move(picture));
    return Woken();
}

bool ScreenRequests::Wake() {
    std::lock_guard lock(mutex_);
    return Woken();
}

std::vector<ScreenRequests::Request> ScreenRequests::Take() {
    std::lock_guard lock(mutex_);
    woken_ = false;
    return std::exchange(requests_, {});
}

bool ScreenRequests::Woken() {
    return !std::exchange(woken_, true);
}

} // namespace qx44
