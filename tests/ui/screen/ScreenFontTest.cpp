#include "ui/screen/ScreenFont.h"

#include "ui/UiTestSupport.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

TEST(ScreenFont, LineHeightAndAverageWidthAreTheRequestedOnes) {
    uitest::EnsureApplication();
    const struct {
        FontRequest request;
        int width;
    } rows[] = {
        {{"Courier New", 17, 9, 700}, 9},
        {{"Courier New", 17, 22, 700}, 22},
        {{"Courier New", 40, 20, 400}, 20},
        {{"Liberation Mono", 8, 4, 700}, 4},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.request.height);
        const QFont font = ScreenFont::Make(row.request);
        const QFontMetrics metrics(font);
        EXPECT_LE(metrics.height(), row.request.height);
        EXPECT_GE(metrics.height(), row.request.height - 1);
        EXPECT_NEAR(metrics.averageCharWidth(), row.width, 1);
        EXPECT_EQ(font.weight(), row.request.weight);
    }
}

TEST(ScreenFont, CourierNewIsTheMetricCompatibleLiberationMono) {
    uitest::EnsureApplication();
    EXPECT_EQ(QFontInfo(ScreenFont::Make({"Courier New", 17, 9, 700})).family(), "Liberation Mono");
}

TEST(ScreenFont, SizesWithoutRoomStillGiveAUsableFont) {
    uitest::EnsureApplication();
    for (const FontRequest& request :
         {FontRequest{"Courier New", -3, -3, 700}, FontRequest{"No Such Face", 17, 9, 0},
          FontRequest{"Courier New", 17, 9, 5000}}) {
        const QFont font = ScreenFont::Make(request);
        EXPECT_GE(font.pixelSize(), 1);
        EXPECT_GE(font.weight(), 1);
        EXPECT_LE(font.weight(), 1000);
    }
}

} // namespace
} // namespace qx44
