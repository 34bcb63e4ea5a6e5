#pragma once

#include <QByteArray>
#include <QImage>

namespace qx44 {

// A picture as PNG bytes in memory. `quality` is Qt's: -1 the default compression, higher
// values compress less and faster (the live stream's frames).
QByteArray PngBytes(const QImage& image, int quality = -1);

} // namespace qx44
