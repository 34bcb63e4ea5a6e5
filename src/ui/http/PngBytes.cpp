#include "ui/http/PngBytes.h"

#include <QBuffer>

namespace qx44 {

QByteArray PngBytes(const QImage& image, int quality) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG", quality);
    return png;
}

} // namespace qx44
