#pragma once

#include "core/screen/CellLayout.h"

#include <cstdint>
#include <vector>

namespace qx44 {

// A layout's pixel edges for the first columns and rows, kept in tables: every host message asks
// for several of them, which the layout would compute out of line. Edges past the tables come
// from the layout, so every answer is the layout's own.
class CellEdges {
public:
    // The edges of `layout`, with tables for columns 0 to `columns` and rows 0 to `rows`.
    CellEdges(const CellLayout& layout, int columns, int rows);

    // Call whenever the layout changed.
    void Update(const CellLayout& layout);

    std::int64_t Left(std::int64_t column) const {
        return InTable(column, left_) ? left_[Index(column)] : layout_.X(column);
    }
    std::int64_t Right(std::int64_t column) const {
        return InTable(column, right_) ? right_[Index(column)]
                                       : layout_.X(column) + layout_.CellWidth(column);
    }
    std::int64_t Top(std::int64_t row) const {
        return InTable(row, top_) ? top_[Index(row)] : layout_.Y(row);
    }
    std::int64_t Bottom(std::int64_t row) const {
        return InTable(row, bottom_) ? bottom_[Index(row)]
                                     : layout_.Y(row) + layout_.CellHeight(row);
    }

private:
    using Table = std::vector<std::int64_t>;

    static bool InTable(std::int64_t index, const Table& table) {
        return index >= 0 && index < static_cast<std::int64_t>(table.size());
    }
    static std::size_t Index(std::int64_t index) { return static_cast<std::size_t>(index); }

    CellLayout layout_;
    Table left_;
    Table right_;
    Table top_;
    Table bottom_;
};

} // namespace qx44
