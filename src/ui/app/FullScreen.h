#pragma once

class QWidget;

namespace qx44 {

// Makes `window` a frameless window over its whole screen, with or without a window manager (a
// station's X session often runs the simulator alone, and only a window manager honours the
// full-screen state), and keeps it there when the screen changes size.
void PlaceFullScreen(QWidget& window);

} // namespace qx44
