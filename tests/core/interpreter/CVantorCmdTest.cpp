#include "core/interpreter/CVantorCmd.h"

#include "core/hostlink/CCommand_Buffer.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/RecordingBeeper.h"
#include "support/RecordingHost.h"
#include "support/RecordingLog.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::Bytes;

std::string Lines(const std::string& line, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) {
        all += line + "\n";
    }
    return all;
}

class CVantorCmdTest : public ::testing::Test {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override { CQX44Setting::SetFilePathOverride({}); }

    void Run(const Bytes& message) {
        ASSERT_GE(message.size(), 4u);
        cmd().DispatchHostMessage(message[1], message[2], message, closing);
    }
    CVantorCmd& cmd() {
        if (!cmd_) {
            cmd_ = std::make_unique<CVantorCmd>(screen, bar, host, ports, beeper);
        }
        return *cmd_;
    }
    std::string Text(int column, int row, int width, int height = 1) {
        return ScreenDump::Text(screen.Snapshot(), column, row, width, height);
    }
    std::string Attributes(int column, int row, int width, int height = 1) {
        return ScreenDump::Attributes(screen.Snapshot(), column, row, width, height);
    }

    test::TempDir dir;
    CancelToken closing;
    CConsoleWin screen;
    CVantorBar bar;
    test::RecordingHost host;
    test::FakeSerialPorts ports;
    test::RecordingBeeper beeper;
    std::unique_ptr<CVantorCmd> cmd_;
};

TEST_F(CVantorCmdTest, RepliesCarryTheConfiguredAddress) {
    CQX44Setting(dir.File("setting.txt")).WriteInt("Main", "Address", 7);
    CVantorCmd::ReplyBuffer buffer;
    ASSERT_EQ(cmd().FrameReply(buffer, 0x35), 4u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), (Bytes{0x02, 0x07, 0x35, 0x03}));
    ASSERT_EQ(cmd().FrameReply(buffer, 0x14, 0x10), 5u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 5), (Bytes{0x02, 0x07, 0x14, 0x10, 0x03}));
    ASSERT_EQ(cmd().FrameReply(buffer, 0x2E, 0, 0), 6u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.end()), (Bytes{0x02, 0x07, 0x2E, 0x00, 0x00, 0x03}));
}

TEST_F(CVantorCmdTest, AddressAndPitchAreReadOnceAtConstruction) {
    cmd();
    CQX44Setting(dir.File("setting.txt")).WriteInt("Main", "Address", 9);
    CQX44Setting(dir.File("setting.txt")).WriteInt("Main", "Pitch", 440);
    EXPECT_EQ(cmd().StationAddress(), 1);
    EXPECT_EQ(cmd().BeeperPitch(), 2200);
    cmd().SendMouseUp(3, 4);
    EXPECT_EQ(host.Sent(), (Bytes{0x02, 0x01, 0x2D, 0x03, 0x04, 0x03}));
}

TEST_F(CVantorCmdTest, MouseMessages) {
    cmd().SendMouseDown(79, 24);
    cmd().SendMouseUp(0, 0);
    cmd().SendMouseDoubleClick(5, 255);
    EXPECT_EQ(host.Sent(), (Bytes{0x02, 0x01, 0x2C, 79, 24, 0x03, 0x02, 0x01, 0x2D, 0, 0, 0x03,
                                  0x02, 0x01, 0x55, 5, 255, 0x03}));
}

TEST_F(CVantorCmdTest, IdentityQueries) {
    const struct {
        Bytes query;
        Bytes reply;
    } cases[] = {
        {{0x02, 0x01, 0x11, 0x03}, {0x02, 0x01, 0x14, 0x10, 0x03}},
        {{0x02, 0x01, 0x2C, 0x03}, {0x02, 0x01, 0x2B, 0x01, 0x03}},
        {{0x02, 0x09, 0x2D, 0x00, 0x03}, {0x02, 0x01, 0x2E, 0x00, 0x00, 0x03}},
    };
    for (const auto& c : cases) {
        const std::size_t before = host.Sent().size();
        Run(c.query);
        const Bytes sent = host.Sent();
        EXPECT_EQ(Bytes(sent.begin() + static_cast<long>(before), sent.end()), c.reply)
            << test::Hex(c.query);
    }
}

TEST_F(CVantorCmdTest, TextCommands) {
    const struct {
        const char* name;
        Bytes message;
        bool statusLine;
        int column, row, width;
        std::string text;
        std::string attributes;
    } cases[] = {
        {"indexed text",
         {0x02, 0x01, 0x23, 0x0A, 0x05, 0xD2, 0x00, 0x02, 'H', 'i', 0x03},
         false,
         10,
         5,
         2,
         "Hi\n",
         "D200*2\n"},
        {"long text with a colour byte",
         {0x02, 0x01, 0x0D, 0x00, 0x03, 0x1E, 0x00, 0x03, 'a', 'b', 'c', 0x03},
         false,
         0,
         3,
         3,
         "abc\n",
         "D205*3\n"},
        {"x to row 24 is the text screen",
         {0x02, 0x01, 0x78, 0x04, 0x18, 0xEA, 0xD7, 0x01, 'Z', 0x03},
         false,
         4,
         24,
         1,
         "Z\n",
         "EAD7\n"},
        {"x to row 25 is the status line",
         {0x02, 0x01, 0x78, 0x04, 0x19, 0xEA, 0xD7, 0x01, 'Z', 0x03},
         true,
         4,
         0,
         1,
         "Z\n",
         "EAD7\n"},
        {"status text",
         {0x02, 0x01, 0x32, 0x4A, 0x00, 0xFC, 0x02, 'O', 'K', 0x03},
         true,
         74,
         0,
         2,
         "OK\n",
         "00FC*2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CConsoleWin freshScreen;
        CVantorBar freshBar;
        CVantorCmd fresh(freshScreen, freshBar, host, ports, beeper);
        fresh.DispatchHostMessage(c.message[1], c.message[2], c.message, closing);
        const CDosScreen& target = c.statusLine ? static_cast<CDosScreen&>(freshBar) : freshScreen;
        const CDosScreen& other = c.statusLine ? static_cast<CDosScreen&>(freshScreen) : freshBar;
        EXPECT_EQ(ScreenDump::Text(target.Snapshot(), c.column, c.row, c.width, 1), c.text);
        EXPECT_EQ(ScreenDump::Attributes(target.Snapshot(), c.column, c.row, c.width, 1),
                  c.attributes);
        EXPECT_EQ(ScreenDump::Text(other.Snapshot()).find_first_not_of("\n"), std::string::npos)
            << "the other screen stays blank";
    }
}

TEST_F(CVantorCmdTest, LongTextIsCutTo255Bytes) {
    for (const std::size_t announced : {255u, 256u, 300u}) {
        CConsoleWin freshScreen;
        CVantorCmd fresh(freshScreen, bar, host, ports, beeper);
        Bytes message = {0x02,
                         0x01,
                         0x0D,
                         0x00,
                         0x00,
                         0x17,
                         static_cast<std::uint8_t>(announced >> 8),
                         static_cast<std::uint8_t>(announced & 0xFF)};
        message.insert(message.end(), announced, 'q');
        message.push_back(0x03);
        fresh.DispatchHostMessage(1, 0x0D, message, closing);
        const std::string all = ScreenDump::Text(freshScreen.Snapshot());
        EXPECT_EQ(std::count(all.begin(), all.end(), 'q'), 255) << announced;
    }
}

TEST_F(CVantorCmdTest, AreaCommands) {
    const struct {
        const char* name;
        Bytes message;
        int column, row, width, height;
        std::string text;
        std::string attributes;
    } cases[] = {
        {"fill the whole grid",
         {0x02, 0x01, 0x0E, 0x00, 0x00, 0x50, 0x19, 0x41, 0x17, 0x03},
         0,
         0,
         80,
         25,
         Lines(std::string(80, 'A'), 25),
         Lines("D2EA*80", 25)},
        {"clear with an attribute value",
         {0x02, 0x01, 0x09, 0x02, 0x01, 0x03, 0x02, 0x07, 0x03},
         2,
         1,
         3,
         2,
         "\n\n",
         "0007*3\n0007*3\n"},
        {"clear with a background",
         {0x02, 0x01, 0x3E, 0x00, 0x00, 0x02, 0x01, 0xD7, 0x03},
         0,
         0,
         2,
         1,
         "\n",
         "D700*2\n"},
        {"box",
         {0x02, 0x01, 0x0A, 0x00, 0x00, 0x04, 0x03, 0x1F, 0x03},
         0,
         0,
         4,
         3,
         "╔══╗\n║  ║\n╚══╝\n",
         "D200*4\nD200*4\nD200*4\n"},
        {"table",
         {0x02, 0x01, 0x3F, 0x00, 0x00, 0x05, 0x03, 0x02, 0x01, 0xD2, 0x00, 0x01, 0x03},
         0,
         0,
         5,
         3,
         "┌─┬─┐\n│ │ │\n└─┴─┘\n",
         "D200*5\nD200*5\nD200*5\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CConsoleWin freshScreen;
        freshScreen.FillArea(0, 0, 169, 52, 'x', 0x1111);
        CVantorCmd fresh(freshScreen, bar, host, ports, beeper);
        fresh.DispatchHostMessage(c.message[1], c.message[2], c.message, closing);
        const auto snapshot = freshScreen.Snapshot();
        EXPECT_EQ(ScreenDump::Text(snapshot, c.column, c.row, c.width, c.height), c.text);
        EXPECT_EQ(ScreenDump::Attributes(snapshot, c.column, c.row, c.width, c.height),
                  c.attributes);
    }
}

TEST_F(CVantorCmdTest, FillWithCharacterZeroKeepsTheText) {
    screen.PutText(0, 0, Bytes{'k', 'e', 'e', 'p'}, 0xD200);
    Run({0x02, 0x01, 0x0E, 0x00, 0x00, 0x04, 0x01, 0x00, 0xC4, 0x03});
    EXPECT_EQ(Text(0, 0, 4), "keep\n");
    EXPECT_EQ(Attributes(0, 0, 4), "231D*4\n");
}

TEST_F(CVantorCmdTest, GridModeFromTheHost) {
    Run({0x02, 0x01, 0x05, 0x06, 0x03});
    EXPECT_EQ(screen.Columns(), 169);
    EXPECT_EQ(screen.Rows(), 51);
    Run({0x02, 0x01, 0x23, 168, 50, 0xD2, 0x00, 0x01, 'E', 0x03});
    EXPECT_EQ(Text(168, 50, 1), "E\n");
    Run({0x02, 0x01, 0x05, 0x00, 0x03});
    EXPECT_EQ(screen.Columns(), 169) << "mode 0 leaves the grid alone";
}

TEST_F(CVantorCmdTest, EveryMessageEndsTheInformationScreen) {
    EXPECT_TRUE(cmd().IsInfoScreenPending());
    Run({0x02, 0x01, 0x20, 0x03});
    EXPECT_FALSE(cmd().IsInfoScreenPending());
}

TEST_F(CVantorCmdTest, MessagesShorterThanTheirFieldsAreNotRun) {
    // Only a caller that bypasses the framing can do this; nothing may be read past the end.
    for (std::uint8_t code : {0x05, 0x09, 0x0A, 0x0D, 0x0E, 0x23, 0x32, 0x3E, 0x3F, 0x78}) {
        const Bytes truncated = {0x02, 0x01, code};
        cmd().DispatchHostMessage(1, code, truncated, closing);
    }
    EXPECT_EQ(ScreenDump::Attributes(screen.Snapshot()), Lines("D200*80", 25));
}

// The host developers' reference cannot fall behind the dispatcher: every code it runs (every
// code it does not log as ignored) has its own heading there.
TEST_F(CVantorCmdTest, EveryHandledCodeHasItsPlaceInTheHostProtocolReference) {
    const std::string reference = test::TempDir::ReadText(QX44_DOCS_DIR "/host-protocol.md");
    ASSERT_FALSE(reference.empty());
    test::RecordingLog log;
    std::vector<int> handled;
    for (int code = 0; code < 256; ++code) {
        // A message of the length its code's rule gives, all parameters 0.
        Bytes bytes(16, 0x00);
        bytes[0] = 0x02;
        bytes[1] = 0x01;
        bytes[2] = static_cast<std::uint8_t>(code);
        bytes[8] = 0x03;
        CCommand_Buffer buffer;
        std::ranges::copy(bytes, buffer.FreeSpace().begin());
        buffer.Advance(bytes.size());
        const auto length = buffer.FindMessageEnd().value_or(bytes.size());
        Bytes message(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        message.back() = 0x03;
        Run(message);
        const auto lines = log.TakeLines();
        const bool ignored = std::ranges::any_of(lines, [](const std::string& line) {
            return line.starts_with("ignored command code");
        });
        if (!ignored) {
            handled.push_back(code);
            const std::string heading = "\n### " + Log::Hex(static_cast<unsigned>(code));
            EXPECT_NE(reference.find(heading), std::string::npos)
                << "host-protocol.md has no heading for command " << Log::Hex(code);
        }
    }
    EXPECT_EQ(std::ranges::count(handled, 0x20), 0) << "an ignored code must be told apart";
}

} // namespace
} // namespace qx44
