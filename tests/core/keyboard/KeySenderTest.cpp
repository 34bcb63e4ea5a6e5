#include "core/keyboard/KeySender.h"

#include "KeyboardTestSupport.h"
#include "core/hostlink/HostLink.h"
#include "core/keyboard/StationScanTable.h"
#include "support/Bytes.h"
#include "support/TcpTestClient.h"
#include "support/TempDir.h"
#include "support/TestUiThread.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>

namespace qx44 {
namespace {

using test::Log;

constexpr std::uint32_t kExtended = 0x100;
// A release's flags word as the platform gives it: bits 14 and 15 set, sign-extended.
constexpr std::uint32_t Released(std::uint32_t scan) {
    return 0xFFFFC000u | scan;
}

TEST(StationScanTableTest, EveryScanCodeTranslatesToItsStationByte) {
    // The station's key bytes, one row per high nibble of the PC scan code.
    std::istringstream stationBytes("00 76 16 1E 26 25 2E 36 3D 3E 46 45 4E 55 66 0D "
                                    "15 1D 24 2D 2C 35 3C 43 44 4D 54 5B 5A 14 1C 1B "
                                    "23 2B 34 33 3B 42 4B 4C 52 0E 12 5D 1A 22 21 2A "
                                    "32 31 3A 41 49 4A 59 7C 11 29 58 05 06 04 0C 03 "
                                    "0B 83 0A 01 09 77 7E 6C 75 7D 7B 6B 73 74 79 69 "
                                    "72 7A 70 71 7F 60 61 78 07 0F 17 1F 27 00 00 00 "
                                    "47 4F 56 5E 08 10 18 20 28 30 38 40 48 50 57 6F "
                                    "13 19 39 51 53 5C 5F 62 63 64 65 67 68 6A 6D 00");
    for (std::uint32_t scan = 0; scan < 0x100; ++scan) {
        unsigned byte = 0;
        ASSERT_TRUE(scan >= 0x80 || stationBytes >> std::hex >> byte);
        EXPECT_EQ(TranslateScanCode(scan), (StationKeyByte{std::uint8_t(byte), false})) << scan;
        EXPECT_EQ(TranslateScanCode(Released(scan | kExtended)),
                  (StationKeyByte{std::uint8_t(byte), true}))
            << scan;
    }
}

struct KeyCase {
    std::uint32_t scan;
    Log press;
    Log release;
};

TEST(KeySenderTest, PressAndReleaseSendOneMessagePerKeyByte) {
    const KeyCase cases[] = {
        {0x1D | kExtended, {"E0", "14"}, {"E0", "F0", "14"}}, // right Ctrl
        {0x1E, {"1C"}, {"F0", "1C"}},                         // a
        {0x47, {"6C"}, {"F0", "6C"}},                         // keypad 7
        {0x47 | kExtended, {"E0", "6C"}, {"E0", "F0", "6C"}}, // Home
        {0x5D, {}, {}},
        {0x5E | kExtended, {}, {}},
        {0x5F, {}, {}},
        {0x7F, {}, {}},
        {0x80, {}, {}},
        {0xFF | kExtended, {}, {}},
    };
    for (const KeyCase& c : cases) {
        Log log;
        test::LoggingHost host(log);
        KeySender sender(host, 1);
        sender.SendKeyDown(0x41, 1, c.scan);
        EXPECT_EQ(log, c.press) << std::hex << c.scan;
        log.clear();
        sender.SendKeyUp(0x41, 1, Released(c.scan), false);
        EXPECT_EQ(log, c.release) << std::hex << c.scan;
    }
}

TEST(KeySenderTest, ForcedReleaseSendsThePlayerMarkerWhateverTheScanCode) {
    const std::pair<std::uint32_t, Log> cases[] = {
        {0x1E, {"F0", "FE"}}, {0x4D | kExtended, {"E0", "F0", "FE"}},
        {0x5D, {"F0", "FE"}}, {0x5F | kExtended, {"E0", "F0", "FE"}},
        {0x80, {"F0", "FE"}},
    };
    for (const auto& [scan, expected] : cases) {
        Log log;
        test::LoggingHost host(log);
        KeySender(host, 1).SendKeyUp(0xFE, 1, Released(scan), true);
        EXPECT_EQ(log, expected) << std::hex << scan;
    }
}

class NullSink : public IHostMessageSink {
    void DispatchHostMessage(std::uint8_t, std::uint8_t, std::span<const std::uint8_t>,
                             const CancelToken&) override {}
    void ShowHostPicture(int, int, const std::string&) override {}
    void HoldScreenRepaint(bool) override {}
};

TEST(KeySenderTest, KeysTypedWithoutAHostNeverReachALaterHost) {
    test::TempDir dir;
    NullSink sink;
    test::TestUiThread ui;
    IHostLinkEvents events;
    HostLink link(sink, ui, events, dir.File("tmp.bmp"));
    ASSERT_TRUE(link.StartListening(0));
    KeySender sender(link, 0x07);
    for (int i = 0; i < 100; ++i) {
        sender.SendKeyDown(0x41, 1, 0x1E);
    }
    test::TcpTestClient host(link.Listener().Port());
    pollfd listener{link.Listener().Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&listener, 1, 5000), 1);
    link.AcceptHost();
    sender.SendKeyUp(0x41, 1, Released(0x1E), false);
    sender.SendMediaKeyNotice();
    link.OnTimer1Tick();
    EXPECT_EQ(test::Hex(host.Receive(14)), "02 07 11 F0 03 02 07 11 1C 03 02 07 41 03");
}

} // namespace
} // namespace qx44
