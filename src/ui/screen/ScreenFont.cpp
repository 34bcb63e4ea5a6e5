#include "ui/screen/ScreenFont.h"

#include <QFontMetrics>
#include <algorithm>
#include <cstdint>

namespace qx44 {

namespace {

constexpr int kLightestWeight = 1;
constexpr int kHeaviestWeight = 1000;
constexpr int kMinStretch = 1;
constexpr int kMaxStretch = 4000;
constexpr int kUnstretched = 100;
// The face's proportions put the first guess within a pixel or two of the target.
constexpr int kSizeTries = 8;

int LineHeight(const QFont& font) {
    return QFontMetrics(font).height();
}

} // namespace

QFont ScreenFont::Make(const FontRequest& request) {
    QFont font(QString::fromStdString(request.face));
    // Only consulted when the face is missing: the substitute is a plain sans-serif face.
    font.setStyleHint(QFont::SansSerif);
    // 0 asks for no particular weight, which is a normal one.
    const int weight = request.weight <= 0
                           ? QFont::Normal
                           : std::clamp(request.weight, kLightestWeight, kHeaviestWeight);
    font.setWeight(static_cast<QFont::Weight>(weight));

    const int height = std::max(request.height, 1);
    font.setPixelSize(height);
    const int natural = std::max(LineHeight(font), 1);
    int pixelSize =
        std::max(1, static_cast<int>((std::int64_t{height} * height + natural / 2) / natural));
    font.setPixelSize(pixelSize);
    for (int tries = 0; tries < kSizeTries && pixelSize > 1 && LineHeight(font) > height; ++tries) {
        font.setPixelSize(--pixelSize);
    }
    for (int tries = 0; tries < kSizeTries; ++tries) {
        QFont larger = font;
        larger.setPixelSize(pixelSize + 1);
        if (LineHeight(larger) > height) {
            break;
        }
        font = larger;
        ++pixelSize;
    }

    // No width, or none to speak of, keeps the face's own proportions.
    if (request.averageWidth > 0) {
        const int average = QFontMetrics(font).averageCharWidth();
        if (average > 0 && average != request.averageWidth) {
            const int stretch = static_cast<int>(
                (std::int64_t{kUnstretched} * request.averageWidth + average / 2) / average);
            font.setStretch(std::clamp(stretch, kMinStretch, kMaxStretch));
        }
    }
    return font;
}

} // namespace qx44
