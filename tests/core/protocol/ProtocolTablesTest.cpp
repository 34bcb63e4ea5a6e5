#include "core/interpreter/CVantorCmd.h"
#include "core/protocol/FramingBytes.h"
#include "core/protocol/HostMessageTable.h"
#include "core/protocol/StationMessageTable.h"
#include "support/Bytes.h"

#include <gtest/gtest.h>
#include <set>

namespace qx44 {
namespace {

// A code is framed, run and traced by one row: the dispatcher runs exactly the named rows, and
// a row without a name (an ignored code, the framer's picture transfer) is never run.
TEST(ProtocolTablesTest, HostRowsAreTheCodesTheDispatcherRuns) {
    std::size_t named = 0;
    for (int code = 0; code < 256; ++code) {
        const HostMessageKind* row = HostMessageTable::Find(static_cast<std::uint8_t>(code));
        const bool hasName = row != nullptr && !row->name.empty();
        named += hasName ? 1 : 0;
        EXPECT_EQ(CVantorCmd::Handles(static_cast<std::uint8_t>(code)), hasName) << code;
        if (row != nullptr) {
            EXPECT_EQ(row->code, code);
        }
    }
    EXPECT_EQ(named, 22u);
    EXPECT_EQ(HostMessageTable::PictureTransferCode(), 0x33);
    EXPECT_FALSE(CVantorCmd::Handles(0x33)) << "the picture transfer is the framer's";
}

// Each station code has one row, and a message built to its row reads back as that row.
TEST(ProtocolTablesTest, StationRowsAreWhatTheTraceReads) {
    std::set<int> codes;
    for (const StationMessageKind& row : StationMessageTable::kRows) {
        EXPECT_TRUE(codes.insert(row.code).second) << "code " << int(row.code) << " twice";
        EXPECT_EQ(StationMessageTable::Find(row.code), &row);
        test::Bytes message{kStx, 1, row.code};
        message.resize(row.length == 0 ? 5 : row.length - 1, 0x00);
        message.push_back(kEtx);
        EXPECT_EQ(StationMessageTable::MessageLength(message), message.size()) << row.name;
        EXPECT_TRUE(StationMessageTable::Read(message).starts_with(row.name)) << row.name;
    }
    EXPECT_EQ(codes.size(), 14u);
}

} // namespace
} // namespace qx44
