#pragma once

#include <string>

namespace qx44 {

// The window that shows a screen can also draw a picture file over its cells; the model cannot,
// so host pictures go through this. ShowPicture deletes the file once it has been drawn.
class IPictureDisplay {
public:
    virtual ~IPictureDisplay() = default;
    // Called on the receive thread; an implementation hands the drawing to the UI thread.
    virtual void ShowPicture(int column, int row, const std::string& path) = 0;
};

} // namespace qx44
