#include "core/screen/StatusIndicators.h"

#include "core/screen/IScreenSurface.h"

namespace qx44 {

void StatusIndicators::SetSurface(IScreenSurface* surface) {
    surface_.store(surface);
}

void StatusIndicators::SetNetworkState(int state) {
    networkState_.store(state);
    Repaint();
}

void StatusIndicators::SetKeyboardMissing(bool missing) {
    if (keyboardMissing_.exchange(missing) != missing) {
        Repaint();
    }
}

std::optional<int> StatusIndicators::NetworkPicture(int state) {
    switch (state) {
    case kNetworkIdle:
    case kNoNetwork:
        return kNetworkPicture;
    case kHostConnected:
        return kHostConnectedPicture;
    default:
        return std::nullopt;
    }
}

int StatusIndicators::KeyboardPicture(bool missing) {
    return missing ? kKeyboardMissingPicture : kKeyboardPicture;
}

PixelRect StatusIndicators::IconRect(const CellLayout& layout, int column, int rows) {
    return PixelRect::FromEdges(layout.X(column), 0, layout.X(std::int64_t{column} + kIconCells),
                                std::int64_t{layout.BaseHeight()} * rows);
}

std::vector<StatusIndicators::Icon> StatusIndicators::Icons(const CellLayout& layout,
                                                            int rows) const {
    std::vector<Icon> icons;
    if (const auto network = NetworkPicture(NetworkState())) {
        icons.push_back({*network, IconRect(layout, kNetworkColumn, rows)});
    }
    icons.push_back(
        {KeyboardPicture(IsKeyboardMissing()), IconRect(layout, kKeyboardColumn, rows)});
    return icons;
}

void StatusIndicators::Repaint() const {
    IScreenSurface* surface = surface_.load();
    if (surface != nullptr && surface->WindowExists()) {
        surface->InvalidateWindow();
    }
}

} // namespace qx44
