#pragma once

#include <QString>

namespace qx44 {

// A message box for the user that never holds up its caller: the box is shown by the
// user-interface thread and the call returns at once, from whichever thread it came. Tests put a
// recorder in its place, so nothing modal ever waits for a click there.
class IMessageBox {
public:
    virtual ~IMessageBox() = default;

    // A stop box with an OK button.
    virtual void ShowStop(const QString& title, const QString& text) = 0;
    // A plain box with an OK button and no caption of its own.
    virtual void ShowNotice(const QString& text) = 0;
};

} // namespace qx44
