#pragma once

namespace qx44 {

// Where the current display mode comes from. Core cannot ask the window system itself, so the UI
// layer registers one of these with CQX44Setting::SetDisplayInfo.
class IDisplayInfo {
public:
    virtual ~IDisplayInfo() = default;

    // false when the mode is unknown; the outputs are then not to be used.
    virtual bool GetDisplayMode(int& width, int& height, int& bitsPerPixel,
                                int& frequency) const = 0;
};

} // namespace qx44
