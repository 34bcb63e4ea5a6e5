#include "core/screen/FontRequest.h"

#include "core/settings/CQX44Setting.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

TEST(FontRequest, DefaultsFillTheCellLessThreePixelsEachWay) {
    test::TempDir dir;
    const CQX44Setting settings(dir.File("setting.txt"));
    EXPECT_EQ(FontRequest::FromSettings(settings, 12, 20),
              (FontRequest{"Courier New", 17, 9, 700}));
    // 40 columns on the same 1,000-pixel window: w grows from 12 to 25.
    EXPECT_EQ(FontRequest::FromSettings(settings, 25, 20),
              (FontRequest{"Courier New", 17, 22, 700}));
}

TEST(FontRequest, FollowsTheFontSettings) {
    test::TempDir dir;
    CQX44Setting settings(dir.File("setting.txt"));
    settings.SetFontName("ASCII");
    settings.SetMargins(5, 1);
    settings.SetWeight(400);
    EXPECT_EQ(FontRequest::FromSettings(settings, 12, 20), (FontRequest{"ASCII", 15, 11, 400}));
}

TEST(FontRequest, CellsSmallerThanTheMarginsAskForNoSize) {
    test::TempDir dir;
    const CQX44Setting settings(dir.File("setting.txt"));
    EXPECT_EQ(FontRequest::FromSettings(settings, 0, 0), (FontRequest{"Courier New", -3, -3, 700}));
}

} // namespace
} // namespace qx44
