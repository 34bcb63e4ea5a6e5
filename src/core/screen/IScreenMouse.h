#pragma once

namespace qx44 {

// Where a screen window sends left-button clicks, as grid cells; the station turns them into
// the station's mouse messages to the host.
class IScreenMouse {
public:
    virtual ~IScreenMouse() = default;

    virtual void MouseDown(int column, int row) = 0;
    virtual void MouseUp(int column, int row) = 0;
    virtual void MouseDoubleClick(int column, int row) = 0;
};

} // namespace qx44
