#include "core/screen/CellBlocks.h"

#include <gtest/gtest.h>
#include <vector>

namespace qx44 {

namespace {

// Around the block size, a run writes exactly its own elements: the overlapping last block
// neither misses one nor reaches past the end.
TEST(CellBlocks, WriteExactlyTheirRun) {
    for (std::size_t count = 0; count <= 3 * CellBlocks::kBlock + 1; ++count) {
        SCOPED_TRACE(count);
        std::vector<std::uint8_t> bytes(count);
        for (std::size_t i = 0; i < count; ++i) {
            bytes[i] = static_cast<std::uint8_t>(0x80 + i);
        }
        std::vector<std::uint16_t> codes(count + 2, 0xFFFF);
        CellBlocks::Widen(codes.data() + 1, bytes.data(), count);
        std::vector<int> attributes(count + 2, -7);
        CellBlocks::Fill(attributes.data() + 1, count, 0xD200);
        EXPECT_EQ(codes.front(), 0xFFFF);
        EXPECT_EQ(codes.back(), 0xFFFF);
        EXPECT_EQ(attributes.front(), -7);
        EXPECT_EQ(attributes.back(), -7);
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(codes[i + 1], 0x80 + i);
            ASSERT_EQ(attributes[i + 1], 0xD200);
        }
    }
}

} // namespace

} // namespace qx44
