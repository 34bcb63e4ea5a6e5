#include "core/screen/CVantor256Attr.h"

#include "core/screen/CGlobalFunction.h"

#include <gtest/gtest.h>

namespace qx44 {

inline void PrintTo(const RgbColor& c, std::ostream* out) {
    *out << "(" << int{c.red} << ", " << int{c.green} << ", " << int{c.blue} << ")";
}

namespace {

TEST(CVantor256Attr, PaletteHasTheStationsColours) {
    const struct {
        int index;
        RgbColor colour;
    } rows[] = {
        {0, {255, 255, 255}},   {1, {255, 255, 204}},   {6, {255, 204, 255}},
        {36, {204, 255, 255}},  {43, {204, 204, 204}},  {210, {0, 0, 255}},
        {215, {0, 0, 0}},       {216, {0, 0, 0}},       {223, {0, 0, 0}},
        {224, {0, 0, 0}},       {225, {17, 17, 17}},    {234, {170, 170, 170}},
        {239, {255, 255, 255}}, {240, {0, 0, 0}},       {241, {0, 0, 128}},
        {242, {0, 128, 0}},     {243, {0, 128, 128}},   {244, {128, 0, 0}},
        {245, {128, 0, 128}},   {246, {128, 128, 0}},   {247, {192, 192, 192}},
        {248, {128, 128, 128}}, {249, {0, 0, 255}},     {250, {0, 255, 0}},
        {251, {0, 255, 255}},   {252, {255, 0, 0}},     {253, {255, 0, 255}},
        {254, {255, 255, 0}},   {255, {255, 255, 255}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CVantor256Attr::PaletteColor(row.index), row.colour) << "index " << row.index;
    }
}

TEST(CVantor256Attr, CubeStepsDownFromWhiteInFiftyOnes) {
    for (int i = 0; i < 216; ++i) {
        const RgbColor c = CVantor256Attr::PaletteColor(i);
        EXPECT_EQ(c.red, 255 - 51 * (i / 36)) << i;
        EXPECT_EQ(c.green, 255 - 51 * (i / 6 % 6)) << i;
        EXPECT_EQ(c.blue, 255 - 51 * (i % 6)) << i;
    }
}

TEST(CVantor256Attr, AttributesGiveBackgroundFromTheHighByteAndForegroundFromTheLow) {
    const struct {
        int attribute;
        RgbColor back;
        RgbColor fore;
    } rows[] = {
        {0xD200, {0, 0, 255}, {255, 255, 255}},
        {0xD700, {0, 0, 0}, {255, 255, 255}},
        {0xEA00, {170, 170, 170}, {255, 255, 255}},
        {0xEAD7, {170, 170, 170}, {0, 0, 0}},
        {CGlobalFunction::MakeAttr(234, 234), {170, 170, 170}, {170, 170, 170}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CVantor256Attr::BackColor(row.attribute), row.back) << std::hex << row.attribute;
        EXPECT_EQ(CVantor256Attr::ForeColor(row.attribute), row.fore) << std::hex << row.attribute;
    }
}

TEST(CVantor256Attr, OnlyTheLowByteOfAnIndexCounts) {
    EXPECT_EQ(CVantor256Attr::PaletteColor(256 + 210), CVantor256Attr::PaletteColor(210));
    EXPECT_EQ(CVantor256Attr::PaletteColor(-1), CVantor256Attr::PaletteColor(255));
}

} // namespace
} // namespace qx44
