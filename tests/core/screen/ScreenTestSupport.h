#pragma once

#include "core/screen/CDosScreen.h"
#include "core/screen/IScreenSurface.h"
#include "core/screen/ScreenDump.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// Readable failure messages for the screen's value types (found by argument-dependent lookup).
inline void PrintTo(const PixelRect& rect, std::ostream* out) {
    *out << "(" << rect.left << ", " << rect.top << ", " << rect.right << ", " << rect.bottom
         << ")";
}

inline void PrintTo(const ScreenSnapshot::Cell& cell, std::ostream* out) {
    *out << "{code " << cell.code << ", attribute 0x" << std::hex << cell.attribute << std::dec
         << ", half " << static_cast<int>(cell.half) << "}";
}

namespace screentest {

inline std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

inline std::string Repeat(std::string_view piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

// Joins rows into the form ScreenDump::Text writes, so expected screens read as pictures.
inline std::string Screen(std::initializer_list<std::string_view> rows) {
    std::string out;
    for (std::string_view row : rows) {
        out += row;
        out += '\n';
    }
    return out;
}

inline std::string TextOf(const CDosScreen& screen, int column, int row, int width, int height) {
    return ScreenDump::Text(screen.Snapshot(), column, row, width, height);
}

inline ScreenSnapshot::Cell CellOf(const CDosScreen& screen, int column, int row) {
    return screen.Snapshot().At(column, row);
}

// A window that records what the screen asks of it. `onInvalidate` runs inside the request,
// the way a real window may read the screen back from there.
class RecordingSurface : public IScreenSurface {
public:
    bool exists = true;
    PixelRect client{0, 0, 1000, 500};
    std::function<void()> onInvalidate;

    bool WindowExists() const override { return exists; }
    PixelRect ClientRect() const override { return client; }
    void InvalidateRect(const PixelRect& rect) override {
        {
            std::lock_guard lock(mutex_);
            rects_.push_back(rect);
        }
        if (onInvalidate) {
            onInvalidate();
        }
    }
    void InvalidateWindow() override {
        std::lock_guard lock(mutex_);
        ++windowRepaints_;
    }

    std::vector<PixelRect> Rects() const {
        std::lock_guard lock(mutex_);
        return rects_;
    }
    int WindowRepaints() const {
        std::lock_guard lock(mutex_);
        return windowRepaints_;
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        rects_.clear();
        windowRepaints_ = 0;
    }

private:
    mutable std::mutex mutex_;
    std::vector<PixelRect> rects_;
    int windowRepaints_ = 0;
};

} // namespace screentest

} // namespace qx44
