#include "core/screen/StatusIndicators.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

QImage Picture(int number) {
    return QImage(QStringLiteral(":/bmp/%1").arg(number));
}

bool HasColour(const QImage& image, bool (*matches)(QColor)) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (matches(image.pixelColor(x, y))) {
                return true;
            }
        }
    }
    return false;
}

bool IsRed(QColor c) {
    return c.red() > 180 && c.green() < 60 && c.blue() < 60;
}
bool IsBlue(QColor c) {
    return c.blue() > 150 && c.red() < 60 && c.green() < 60;
}
bool IsGreen(QColor c) {
    return c.green() > 150 && c.red() < 60 && c.blue() < 60;
}

struct PictureCase {
    int number;
    bool red;
    bool blue;
    bool green;
};

class IndicatorPicturesTest : public testing::TestWithParam<PictureCase> {};

TEST_P(IndicatorPicturesTest, LoadsAsAnOpaque24By24PictureInItsColours) {
    const QImage image = Picture(GetParam().number);
    ASSERT_FALSE(image.isNull()) << GetParam().number;
    EXPECT_EQ(image.size(), QSize(24, 24));
    EXPECT_FALSE(image.hasAlphaChannel()) << "drawn over the cells, it covers them";
    EXPECT_EQ(HasColour(image, IsRed), GetParam().red);
    EXPECT_EQ(HasColour(image, IsBlue), GetParam().blue);
    EXPECT_EQ(HasColour(image, IsGreen), GetParam().green);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, IndicatorPicturesTest,
    testing::Values(PictureCase{StatusIndicators::kKeyboardPicture, false, false, false},
                    PictureCase{StatusIndicators::kKeyboardMissingPicture, true, false, false},
                    PictureCase{StatusIndicators::kNetworkPicture, false, true, false},
                    PictureCase{StatusIndicators::kHostConnectedPicture, false, false, true}),
    [](const auto& info) { return std::to_string(info.param.number); });

} // namespace
} // namespace qx44
