#include "platform/TermiosSerialDevice.h"

#include "PseudoTerminal.h"
#include "core/hostlink/CSerialException.h"
#include "core/hostlink/CSerialPort.h"
#include "core/settings/CQX44Setting.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "support/Bytes.h"
#include "support/SerialErrors.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Hex;
using test::PseudoTerminal;
using test::TempDir;
using Clock = std::chrono::steady_clock;

constexpr SerialTimeouts kSerialTimeouts{2ms, 2ms, 100ms, 2ms, 100ms};
constexpr SerialTimeouts kPrinterTimeouts{2ms, 0ms, 0ms, 1ms, 10ms};

using test::ErrorOf;

// COM1 is a pseudo-terminal, COM2 a device that does not exist.
class SerialOverPty : public testing::Test {
protected:
    void SetUp() override {
        TempDir::WriteText(dir_.File("setting.txt"),
                           "[Ports]\nCOM1=" + pty_.SlavePath() + "\nCOM2=" + Missing() + "\n");
        CQX44Setting::SetFilePathOverride(dir_.File("setting.txt"));
    }
    void TearDown() override { CQX44Setting::SetFilePathOverride(""); }

    std::string Missing() const { return dir_.File("no-such-device"); }
    void Open(CSerialPort& port, int number, const SerialLineSettings& line = {}) {
        port.Open(number, line.baud, line.parity, line.dataBits, line.stopBits, line.flow, false);
    }
    void WaitForInput(CSerialPort& port, std::size_t count) {
        const auto deadline = Clock::now() + 5s;
        while (port.QueryStatus().input < count && Clock::now() < deadline) {
            std::this_thread::yield();
        }
    }

    TempDir dir_;
    PseudoTerminal pty_;
    TermiosSerialDeviceFactory factory_;
    CSerialPort port_{factory_};
};

TEST_F(SerialOverPty, PortNumbersNameTheirDevices) {
    EXPECT_EQ(TermiosSerialDevice::DevicePath(1), pty_.SlavePath());
    EXPECT_EQ(TermiosSerialDevice::DevicePath(2), Missing());
    EXPECT_EQ(TermiosSerialDevice::DevicePath(3), "/dev/ttyS2");
    EXPECT_EQ(TermiosSerialDevice::DevicePath(12), "/dev/ttyS11");
}

TEST_F(SerialOverPty, MissingDeviceStaysClosed) {
    EXPECT_EQ(ErrorOf([&] { Open(port_, 2); }), ENOENT);
    EXPECT_FALSE(port_.IsOpen());
}

TEST_F(SerialOverPty, BytesPassBothWays) {
    Open(port_, 1);
    port_.SetTimeouts(kSerialTimeouts);
    const Bytes data{0x41, 0x42, 0x43, 0x00, 0xFF, 0x0A};
    EXPECT_EQ(port_.Write(data), data.size());
    EXPECT_EQ(Hex(pty_.Received(data.size())), Hex(data));

    pty_.Type(Bytes{0x1D, 0x0D, 0x80});
    WaitForInput(port_, 3);
    EXPECT_EQ(port_.QueryStatus().input, 3u);
    Bytes buffer(3);
    EXPECT_EQ(port_.Read(buffer), 3u);
    EXPECT_EQ(Hex(buffer), "1D 0D 80");
    EXPECT_EQ(port_.QueryStatus().input, 0u);
}

// The line starts with every flag set that a setting could clear, so clearing is seen too.
TEST_F(SerialOverPty, OpenSetsTheLine) {
    struct Case {
        const char* name;
        SerialLineSettings line;
        tcflag_t expected;
        speed_t speed;
    };
    const Case cases[] = {
        {"defaults", {}, 0, B9600},
        {"hardware flow", {.flow = SerialFlow::Hardware}, CRTSCTS, B9600},
        {"two stop bits", {.stopBits = SerialStopBits::Two}, CSTOPB, B9600},
        {"110 baud", {.baud = 110}, 0, B110},
        {"115200 baud", {.baud = 115200}, 0, B115200},
    };
    for (const auto& c : cases) {
        termios dirty = pty_.SlaveSettings();
        dirty.c_cflag |= CRTSCTS | CSTOPB;
        dirty.c_iflag |= IXON | IXOFF;
        dirty.c_lflag |= ICANON | ECHO;
        ::cfsetspeed(&dirty, B300);
        pty_.SetSlaveSettings(dirty);
        Open(port_, 1, c.line);

        const termios set = pty_.SlaveSettings();
        EXPECT_EQ(set.c_cflag & (CRTSCTS | CSTOPB | CLOCAL | CREAD), c.expected | CLOCAL | CREAD)
            << c.name;
        EXPECT_EQ(::cfgetispeed(&set), c.speed) << c.name;
        EXPECT_EQ(::cfgetospeed(&set), c.speed) << c.name;
        EXPECT_EQ(set.c_iflag & (IXON | IXOFF), 0u) << c.name;
        EXPECT_EQ(set.c_lflag & (ICANON | ECHO), 0u) << c.name;
        port_.Close();
    }
}

// A pseudo-terminal keeps neither parity nor a character size other than 8 bits, so these, and
// the values no device takes, are checked on the termios that Open hands to the device.
TEST(LineSettings, BecomeRawTermiosOrAreRefused) {
    struct Case {
        const char* name;
        SerialLineSettings line;
        int error;
        tcflag_t expected;
    };
    const Case cases[] = {
        {"no parity", {}, 0, CS8},
        {"odd parity", {.parity = SerialParity::Odd}, 0, CS8 | PARENB | PARODD},
        {"even parity", {.parity = SerialParity::Even}, 0, CS8 | PARENB},
        {"7 data bits", {.dataBits = 7}, 0, CS7},
        {"14400 baud", {.baud = 14400}, EINVAL, 0},
        {"0 baud", {.baud = 0}, EINVAL, 0},
        {"9 data bits", {.dataBits = 9}, EINVAL, 0},
        {"parity 3", {.parity = static_cast<SerialParity>(3)}, EINVAL, 0},
        {"flow 2", {.flow = static_cast<SerialFlow>(2)}, EINVAL, 0},
    };
    for (const auto& c : cases) {
        termios tio{};
        tio.c_cflag = CS6 | PARENB | PARODD | CRTSCTS;
        tio.c_iflag = IXON | IXOFF | ICRNL;
        tio.c_lflag = ICANON | ECHO;
        tio.c_cc[VMIN] = 1;
        const termios before = tio;
        ASSERT_EQ(ApplyLineSettings(c.line, tio), c.error) << c.name;
        if (c.error != 0) {
            EXPECT_EQ(std::memcmp(&before, &tio, sizeof(tio)), 0) << c.name;
            continue;
        }
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | PARODD | CRTSCTS), c.expected) << c.name;
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u) << c.name;
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u) << c.name;
        EXPECT_EQ(tio.c_cc[VMIN], 0) << c.name;
    }
}

TEST_F(SerialOverPty, RefusedSettingsLeaveThePortOpenAsItWas) {
    Open(port_, 1, {.flow = SerialFlow::Hardware});
    port_.Close();

    EXPECT_EQ(ErrorOf([&] { Open(port_, 1, {.baud = 12345}); }), EINVAL);
    EXPECT_TRUE(port_.IsOpen());
    EXPECT_NE(pty_.SlaveSettings().c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(port_.Write(Bytes{0x4F, 0x4B}), 2u);
    EXPECT_EQ(Hex(pty_.Received(2)), "4F 4B");
}

// Root opens a device held with TIOCEXCL through CAP_SYS_ADMIN. Capabilities belong to a thread,
// so the test thread sets that one aside for a moment to see what any other user sees.
class WithoutSysAdmin {
public:
    WithoutSysAdmin() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[_LINUX_CAPABILITY_U32S_3];
        std::memcpy(reduced, saved_, sizeof(reduced));
        reduced[CAP_TO_INDEX(CAP_SYS_ADMIN)].effective &= ~CAP_TO_MASK(CAP_SYS_ADMIN);
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    WithoutSysAdmin(const WithoutSysAdmin&) = delete;
    WithoutSysAdmin& operator=(const WithoutSysAdmin&) = delete;
    ~WithoutSysAdmin() {
        if (active_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    bool Active() const { return active_; }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[_LINUX_CAPABILITY_U32S_3]{};
    bool active_ = false;
};

TEST_F(SerialOverPty, PortIsHeldExclusivelyUntilClosed) {
    const WithoutSysAdmin ordinaryUser;
    if (!ordinaryUser.Active()) {
        GTEST_SKIP() << "cannot set CAP_SYS_ADMIN aside, which bypasses exclusive opens";
    }
    CSerialPort second(factory_);
    Open(port_, 1);
    EXPECT_EQ(ErrorOf([&] { Open(second, 1); }), EBUSY);
    EXPECT_FALSE(second.IsOpen());

    port_.Close();
    Open(second, 1);
    EXPECT_TRUE(second.IsOpen());
}

TEST_F(SerialOverPty, ReadWithoutDataGivesUpAfterItsTimeout) {
    Open(port_, 1);
    port_.SetTimeouts(kSerialTimeouts);
    Bytes buffer(1);
    const auto start = Clock::now();
    EXPECT_EQ(port_.Read(buffer), 0u);
    EXPECT_GE(Clock::now() - start, kSerialTimeouts.ReadTotal(1));
    EXPECT_LT(Clock::now() - start, 10s);
}

// The printer's read bounds have no total: a read takes what has arrived, ends after the gap
// between bytes, and never waits for a first byte that does not come.
TEST_F(SerialOverPty, ReadWithoutTotalBoundTakesWhatHasArrived) {
    Open(port_, 1);
    port_.SetTimeouts(kPrinterTimeouts);
    Bytes block(4);
    const auto start = Clock::now();
    EXPECT_EQ(port_.Read(block), 0u);
    EXPECT_LT(Clock::now() - start, 10s);

    pty_.Type(Bytes{0x10, 0x00});
    WaitForInput(port_, 2);
    EXPECT_EQ(port_.Read(block), 2u);
    EXPECT_EQ(Hex(std::span(block).first(2)), "10 00");
}

// A device that never takes its data (a printer off-line, here a master nobody reads) must not
// hold the caller: once the write bound has passed the write reports what went out.
TEST_F(SerialOverPty, WriteToADeviceThatStopsReadingEndsShort) {
    Open(port_, 1);
    port_.SetTimeouts(SerialTimeouts{.writeTotalConstant = 100ms});
    const Bytes flood(1 << 20, 0x55);
    const auto start = Clock::now();
    const std::size_t sent = port_.Write(flood);
    EXPECT_GT(sent, 0u);
    EXPECT_LT(sent, flood.size());
    EXPECT_LT(Clock::now() - start, 10s);

    port_.SetTimeouts(kSerialTimeouts);
    EXPECT_EQ(port_.Write(Bytes{0x41}), 0u);
}

TEST_F(SerialOverPty, DeviceThatGoesAwayRaisesOnRead) {
    Open(port_, 1);
    port_.SetTimeouts(kSerialTimeouts);
    pty_.CloseMaster();
    Bytes buffer(1);
    EXPECT_EQ(ErrorOf([&] { port_.Read(buffer); }), EIO);
}

} // namespace
} // namespace qx44
