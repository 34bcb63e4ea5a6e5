#pragma once

#include "core/screen/FontRequest.h"

#include <QFont>

namespace qx44 {

// Turns a font request into a QFont whose line height (ascent plus descent) is the requested
// height and whose average character width is the requested width. Qt sizes fonts by their em,
// so the pixel size is found from the face's own proportions, and the width by stretching.
class ScreenFont {
public:
    ScreenFont() = delete;

    static QFont Make(const FontRequest& request);
};

} // namespace qx44
