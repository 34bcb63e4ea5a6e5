#include "core/keyboard/CKeyDownRecord.h"
#include "core/keyboard/CVkQX44.h"
#include "core/keyboard/HostKeyCode.h"

#include <climits>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

TEST(CKeyDownRecordTest, KeepsTheTwoLatestPressesUntilForgotten) {
    CKeyDownRecord record;
    record.Add(65, 0);
    record.Add(66, 65);
    record.Add(67, 0);
    EXPECT_FALSE(record.Contains(65)) << "oldest dropped; the stored value is not a key";
    EXPECT_TRUE(record.Contains(66) && record.Contains(67));
    record.Remove(66);
    EXPECT_FALSE(record.Contains(66));
    record.Add(68, 0);
    EXPECT_TRUE(record.Contains(67) && record.Contains(68));
    record.Clear();
    EXPECT_EQ(record.Size(), 0u);
}

TEST(CVkQX44Test, LooksUpRowsAndNamesCodesByTheirFirstRow) {
    EXPECT_EQ(CVkQX44::GetCount(), 91);
    const std::tuple<int, std::string_view, std::uint32_t> rows[] = {
        {0, "Space", 0x20},
        {19, "\\", 0x5C},
        {22, "a", 0x41},
        {48, "Ctrl", 0x11},
        {69, "Shift Right", 0xA1},
        {75, "Print Screen", 0x2A},
        {82, "Down arrow ", 0x28},
        {90, "Page Down", 0x22},
        {-1, "", 0},
        {91, "", 0},
        {INT_MIN, "", 0},
        {INT_MAX, "", 0},
    };
    for (const auto& [row, name, code] : rows) {
        EXPECT_EQ(CVkQX44::GetName(row), name) << row;
        EXPECT_EQ(CVkQX44::GetCode(row), code) << row;
    }
    const std::tuple<std::uint32_t, int, std::string_view> codes[] = {
        {0x27, 1, "'"},    {0x2D, 3, "-"}, {0x2E, 4, "."}, {0x2A, 71, "Pad *"},
        {0x12, 67, "Alt"}, {0x86, -1, ""}, {0x00, -1, ""}, {0x141, -1, ""},
    };
    for (const auto& [code, row, name] : codes) {
        EXPECT_EQ(CVkQX44::FindCode(code), row) << code;
        EXPECT_EQ(CVkQX44::GetNameOfCode(code), name) << code;
    }
}

TEST(HostKeyCodeTest, HostKeyNumbersGiveTheirKeys) {
    const std::pair<int, std::uint32_t> keys[] = {
        {0, 0},      {8, 0x08},    {9, 0},       {13, 0x0D},  {27, 0x1B},  {31, 0},     {32, 0x20},
        {41, 0x29},  {42, 0x6A},   {43, 0x6B},   {44, 0x2C},  {45, 0xBD},  {46, 0x6E},  {47, 0x6F},
        {48, 0x30},  {96, 0x60},   {97, 0x41},   {122, 0x5A}, {123, 0x7B}, {126, 0x7E}, {127, 0x11},
        {128, 0x91}, {129, 0x70},  {140, 0x7B},  {141, 0x08}, {145, 0x1B}, {148, 0x10}, {149, 0x90},
        {152, 0x6B}, {158, 0x60},  {163, 0x63},  {164, 0x13}, {165, 0x2C}, {166, 0xA3}, {170, 0xA4},
        {171, 0x26}, {174, 0x25},  {176, 0x2E},  {180, 0x22}, {181, 0x0D}, {182, 0x6F}, {183, 0},
        {-1, 0},     {INT_MIN, 0}, {INT_MAX, 0},
    };
    for (const auto& [number, code] : keys) {
        EXPECT_EQ(HostKeyCode(number), code) << number;
    }
}

} // namespace
} // namespace qx44
