#include "core/devices/DeviceControlCommands.h"
#include "core/devices/SerialDeviceRouter.h"
#include "core/hostlink/CSerialException.h"
#include "core/hostlink/CSerialPort.h"
#include "core/settings/CQX44Setting.h"
#include "platform/PseudoTerminalFactory.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

void Open(CSerialPort& port) {
    port.Open(2, 9600, SerialParity::None, 8, SerialStopBits::One, SerialFlow::None, false);
    port.SetTimeouts({.readTotalConstant = 100ms, .writeTotalConstant = 100ms});
}

// What a serial tool on the slave side reads, once `count` bytes came or after five seconds.
std::string ToolReads(int tool, std::size_t count) {
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        pollfd ready{tool, POLLIN, 0};
        char piece[64];
        const ssize_t n = ::poll(&ready, 1, 10) > 0 ? ::read(tool, piece, sizeof piece) : 0;
        got.append(piece, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    return got;
}

TEST(PseudoTerminalPortTest, StationOnTheMasterAToolOnTheSlavePath) {
    test::TempDir dir;
    test::TempDir::WriteText(dir.File("setting.txt"), "[Ports]\nCOM2=pty\n");
    CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    TermiosSerialDeviceFactory machine;
    PseudoTerminalFactory ptys;
    SerialDeviceRouter router(machine, ptys);
    DeviceControlCommands commands(router);

    testing::internal::CaptureStderr();
    router.Prepare(1, 2);
    const std::string path = router.Standing(2)->Path();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "COM2: " + path + "\n");
    EXPECT_EQ(commands.Serial("2").ToLine(),
              "{\"ok\":true,\"port\":2,\"kind\":\"pty\",\"open\":false,\"path\":\"" + path +
                  "\"}\n");

    CSerialPort com2(router);
    Open(com2);
    CSerialPort second(router);
    EXPECT_THROW(Open(second), CSerialException);
    const UniqueFd tool(::open(path.c_str(), O_RDWR | O_NOCTTY));
    ASSERT_TRUE(tool.Valid());

    EXPECT_EQ(com2.Write(Bytes{'h', 'i', '\n'}), 3u);
    EXPECT_EQ(ToolReads(tool.Get(), 3), "hi\n") << "raw: no echo, no line ending changed";

    // Closed and opened again, the port is the same pseudo-terminal, which the tool still holds.
    com2.Close();
    Open(second);
    ASSERT_EQ(::write(tool.Get(), "ok\r", 3), 3);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (second.QueryStatus().input < 3 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
    }
    Bytes got(3);
    got.resize(second.Read(got));
    EXPECT_EQ(test::Hex(got), "6F 6B 0D");
    EXPECT_EQ(router.Standing(2)->Path(), path);
    CQX44Setting::SetFilePathOverride({});
}

} // namespace
} // namespace qx44
