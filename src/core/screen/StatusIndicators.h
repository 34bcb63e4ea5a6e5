#pragma once

#include "core/common/PixelRect.h"
#include "core/screen/CellLayout.h"

#include <atomic>
#include <optional>
#include <vector>

namespace qx44 {

class IScreenSurface;

// The two icons at the right end of the status line: the network state and whether the POS
// keyboard is missing. The icons are drawn over the status line's cells on every paint, so a
// change asks for a repaint of the whole status line window.
class StatusIndicators {
public:
    // Network states.
    static constexpr int kNetworkIdle = 0;
    static constexpr int kNoNetwork = 1;
    static constexpr int kHostConnected = 2;

    // Picture numbers in the program's resources.
    static constexpr int kKeyboardPicture = 181;
    static constexpr int kKeyboardMissingPicture = 182;
    static constexpr int kNetworkPicture = 184;
    static constexpr int kHostConnectedPicture = 190;

    static constexpr int kNetworkColumn = 74;
    static constexpr int kKeyboardColumn = 77;
    static constexpr int kIconCells = 3;

    struct Icon {
        int picture = 0;
        PixelRect rect;

        friend bool operator==(const Icon&, const Icon&) = default;
    };

    // The surface of the status line window; it must stay alive while attached.
    void SetSurface(IScreenSurface* surface);

    // Repaints every time, even for the state already shown.
    void SetNetworkState(int state);
    // Repaints only when the flag changes, because it is polled every second.
    void SetKeyboardMissing(bool missing);

    int NetworkState() const { return networkState_.load(); }
    bool IsKeyboardMissing() const { return keyboardMissing_.load(); }

    // None for a state that has no picture.
    static std::optional<int> NetworkPicture(int state);
    static int KeyboardPicture(bool missing);
    // Three cells wide from `column`, as high as `rows` base-height cells.
    static PixelRect IconRect(const CellLayout& layout, int column, int rows);

    // What a paint draws over the cells, in drawing order, for the status line laid out with
    // `layout` over `rows` rows.
    std::vector<Icon> Icons(const CellLayout& layout, int rows) const;

private:
    void Repaint() const;

    std::atomic<IScreenSurface*> surface_{nullptr};
    std::atomic<int> networkState_{kNetworkIdle};
    std::atomic<bool> keyboardMissing_{false};
};

} // namespace qx44
