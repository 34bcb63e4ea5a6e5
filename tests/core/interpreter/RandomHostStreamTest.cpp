#include "core/hostlink/MessageFramer.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/ScreenDump.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/RecordingBeeper.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <random>

namespace qx44 {
namespace {

using test::Bytes;

// Whatever a host sends, the station keeps its screens whole and finds the next good message.
// Each round mixes garbage with well-formed headers carrying random parameters, in random reads.
TEST(RandomHostStreamTest, AnyStreamLeavesTheStationWorking) {
    test::TempDir dir;
    CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    CConsoleWin screen;
    CVantorBar bar;
    test::RecordingHost host;
    test::FakeSerialPorts ports;
    test::RecordingBeeper beeper;
    CVantorCmd cmd(screen, bar, host, ports, beeper);
    MessageFramer framer(cmd, dir.File("tmp.bmp"));
    CancelToken closing;

    const std::uint8_t codes[] = {0x05, 0x09, 0x0A, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x1F,
                                  0x22, 0x23, 0x2C, 0x2D, 0x32, 0x33, 0x3E, 0x3F, 0x40,
                                  0x42, 0x50, 0x78, 0x06, 0x24, 0x00, 0xFF};
    std::mt19937 random(20261209);
    for (int round = 0; round < 120; ++round) {
        Bytes stream;
        for (int piece = 0; piece < 40; ++piece) {
            if (random() % 3 == 0) {
                stream.push_back(static_cast<std::uint8_t>(random()));
                continue;
            }
            stream.push_back(0x02);
            stream.push_back(0x01);
            const std::uint8_t code = codes[random() % std::size(codes)];
            stream.push_back(code);
            // Beeps stay short and transfers small (size field below 0x10000), so a round takes
            // no time.
            const std::size_t parameters = random() % 24;
            for (std::size_t i = 0; i < parameters; ++i) {
                std::uint8_t value = static_cast<std::uint8_t>(random());
                if (code == 0x10 || code == 0x22) {
                    value %= 3;
                } else if (code == 0x33 && (i == 6 || i == 7)) {
                    value = 0;
                }
                stream.push_back(value);
            }
            stream.push_back(0x03);
        }
        // A known message last, after enough bytes to finish the longest message or transfer
        // the garbage may have begun.
        stream.insert(stream.end(), 70000, 0x00);
        const Bytes sentinel = {0x02, 0x01, 0x23, 0x00, 0x00, 0xD2, 0x00, 0x02, 'o', 'k', 0x03};
        stream.insert(stream.end(), sentinel.begin(), sentinel.end());
        stream.push_back(0x00); // the byte that completes a transfer ending exactly here

        for (std::size_t from = 0; from < stream.size();) {
            const std::size_t n = std::min<std::size_t>(1 + random() % 64, stream.size() - from);
            auto space = framer.Buffer().FreeSpace();
            std::copy_n(stream.begin() + static_cast<long>(from), n, space.begin());
            framer.Buffer().Advance(n);
            framer.ProcessReceived(closing, closing);
            from += n;
        }

        const auto snapshot = screen.Snapshot();
        ASSERT_GE(snapshot.columns, 1);
        ASSERT_GE(snapshot.rows, 1);
        ASSERT_LE(static_cast<long>(snapshot.columns) * snapshot.rows,
                  static_cast<long>(screen.CapacityColumns()) * screen.CapacityRows());
        ASSERT_EQ(snapshot.cells.size(), static_cast<std::size_t>(snapshot.columns) *
                                             static_cast<std::size_t>(snapshot.rows));
        ASSERT_EQ(ScreenDump::Text(snapshot, 0, 0, 2, 1), "ok\n") << "round " << round;
    }
    CQX44Setting::SetFilePathOverride({});
}

} // namespace
} // namespace qx44
