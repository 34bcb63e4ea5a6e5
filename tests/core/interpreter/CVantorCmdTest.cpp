#include "core/interpreter/CVantorCmd.h"

#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::Bytes;

class RecordingHost : public IHostSender {
public:
    void SendToHost(std::span<const std::uint8_t> bytes) override {
        sent.insert(sent.end(), bytes.begin(), bytes.end());
    }
    Bytes sent;
};

class CVantorCmdTest : public ::testing::Test {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override { CQX44Setting::SetFilePathOverride({}); }

    test::TempDir dir;
    RecordingHost host;
};

TEST_F(CVantorCmdTest, RepliesCarryTheConfiguredAddress) {
    CQX44Setting(dir.File("setting.txt")).WriteInt("Main", "Address", 7);
    CVantorCmd cmd(host);
    CVantorCmd::ReplyBuffer buffer;
    ASSERT_EQ(cmd.FrameReply(buffer, 0x35), 4u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), (Bytes{0x02, 0x07, 0x35, 0x03}));
    ASSERT_EQ(cmd.FrameReply(buffer, 0x14, 0x10), 5u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 5), (Bytes{0x02, 0x07, 0x14, 0x10, 0x03}));
    ASSERT_EQ(cmd.FrameReply(buffer, 0x2E, 0, 0), 6u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), (Bytes{0x02, 0x07, 0x2E, 0x00, 0x00, 0x03}));
}

TEST_F(CVantorCmdTest, AddressAndPitchAreReadOnceAtConstruction) {
    CVantorCmd cmd(host);
    CQX44Setting(dir.File("setting.txt")).WriteInt("Main", "Address", 9);
    CQX44Setting(dir.File("setting.txt")).WriteInt("Main", "Pitch", 440);
    EXPECT_EQ(cmd.StationAddress(), 1);
    EXPECT_EQ(cmd.BeeperPitch(), 2200);
    cmd.SendMouseUp(3, 4);
    EXPECT_EQ(host.sent, (Bytes{0x02, 0x01, 0x2D, 0x03, 0x04, 0x03}));
}

TEST_F(CVantorCmdTest, MouseMessages) {
    CVantorCmd cmd(host);
    cmd.SendMouseDown(79, 24);
    cmd.SendMouseUp(0, 0);
    cmd.SendMouseDoubleClick(5, 255);
    EXPECT_EQ(host.sent, (Bytes{0x02, 0x01, 0x2C, 79, 24, 0x03, 0x02, 0x01, 0x2D, 0, 0, 0x03, 0x02,
                                0x01, 0x55, 5, 255, 0x03}));
}

} // namespace
} // namespace qx44
