#include "core/screen/CellStore.h"

#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string_view>

namespace qx44 {

namespace {

// A store with no screen around it records what each write changed, in cells: laid out at one
// pixel per cell, the damage it hands over is the rectangle of the cells changed.
TEST(CellStore, EveryWriterRecordsTheCellsItChanged) {
    constexpr PixelRect kNothing{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    constexpr std::u16string_view kWide = u"\u4E2D";
    constexpr std::array<std::uint16_t, 2> kCodes{179, 186};
    constexpr std::array<std::int64_t, 2> kColumns{5, 1};
    const auto bytes = [](const char* text) {
        return std::span(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text));
    };
    const struct {
        const char* what;
        std::function<void(CellStore&)> before;
        std::function<void(CellStore&)> write;
        PixelRect damaged;
    } rows[] = {
        {"bytes run on into the next row",
         {},
         [&](CellStore& s) { s.PutBytes(6, bytes("abcd"), 7); },
         {0, 0, 8, 2}},
        {"a two-cell character", {}, [&](CellStore& s) { s.PutUnits(1, kWide, 7); }, {1, 0, 3, 1}},
        {"a broken first half is made whole",
         [&](CellStore& s) { s.PutUnits(3, kWide, 7); },
         [&](CellStore& s) { s.PutBytes(4, bytes("x"), 7); },
         {3, 0, 5, 1}},
        {"a recolouring run across rows",
         {},
         [](CellStore& s) { s.SetRun(7, 0, 0, 7, 2); },
         {0, 0, 8, 2}},
        {"a cell and the second half it broke",
         [&](CellStore& s) { s.PutUnits(10, kWide, 7); },
         [](CellStore& s) { s.SetCell(2, 1, 'x', 7); },
         {2, 1, 4, 2}},
        {"divider columns, a row at a time",
         {},
         [&](CellStore& s) { s.PutColumns(0, 2, kColumns, kCodes, 7); },
         {1, 0, 6, 3}},
        {"cells beyond the grid",
         {},
         [&](CellStore& s) { s.PutBytes(24, bytes("zz"), 7); },
         kNothing},
        {"a new grid",
         {},
         [](CellStore& s) {
             s.SetGrid({4, 2});
         },
         {0, 0, 4, 2}},
    };
    CellLayout layout;
    layout.LayOut({0, 0, 8, 3}, 8, 3);
    const CellEdges edges(layout, 10, 4);
    for (const auto& row : rows) {
        CellStore store(10, 4, {8, 3}, 0x0100);
        if (row.before) {
            row.before(store);
            store.ForgetDamage();
        }
        row.write(store);
        PixelRect area = kNothing;
        store.TakeDamageInto(area, edges);
        EXPECT_EQ(area, row.damaged) << row.what;
    }
}

} // namespace

} // namespace qx44
