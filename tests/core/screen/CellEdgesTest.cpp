#include "core/screen/CellEdges.h"

#include <gtest/gtest.h>
#include <limits>

namespace qx44 {

namespace {

// Inside its tables, at their ends and far beyond them, the edges are the layout's own.
TEST(CellEdges, GiveTheLayoutsEdgesInAndBeyondTheirTables) {
    CellLayout layout;
    layout.LayOut({0, 0, 1013, 517}, 80, 25);
    CellEdges edges(CellLayout{}, 10, 5);
    edges.Update(layout);
    constexpr std::int64_t kFar = std::numeric_limits<int>::max();
    for (const std::int64_t i :
         {std::int64_t{-kFar}, std::int64_t{-1}, std::int64_t{0}, std::int64_t{4}, std::int64_t{5},
          std::int64_t{6}, std::int64_t{9}, std::int64_t{10}, std::int64_t{11}, std::int64_t{79},
          kFar, kFar + 1}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(edges.Left(i), layout.X(i));
        EXPECT_EQ(edges.Right(i), layout.X(i) + layout.CellWidth(i));
        EXPECT_EQ(edges.Top(i), layout.Y(i));
        EXPECT_EQ(edges.Bottom(i), layout.Y(i) + layout.CellHeight(i));
    }
}

} // namespace

} // namespace qx44
