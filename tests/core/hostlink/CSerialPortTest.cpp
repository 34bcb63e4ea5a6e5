#include "core/hostlink/CSerialPort.h"

#include "core/hostlink/CSerialException.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/SerialErrors.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::FakeSerialPorts;
using Line = FakeSerialPorts::Line;

constexpr SerialTimeouts kSerialTimeouts{2ms, 2ms, 100ms, 2ms, 100ms};

using test::ErrorOf;

void OpenCom(CSerialPort& port, int number, bool overlapped = false) {
    port.Open(number, 9600, SerialParity::None, 8, SerialStopBits::One, SerialFlow::None,
              overlapped);
}

TEST(CSerialPort, OpensTheNumberedPortWithTheLineSettings) {
    FakeSerialPorts ports;
    ports.With(2, [](Line&) {});
    CSerialPort port(ports);
    port.Open(2, 4800, SerialParity::Even, 7, SerialStopBits::Two, SerialFlow::Hardware, false);
    port.SetTimeouts(kSerialTimeouts);

    EXPECT_TRUE(port.IsOpen());
    ports.With(2, [](Line& l) {
        EXPECT_EQ(l.settings->baud, 4800);
        EXPECT_EQ(l.settings->parity, SerialParity::Even);
        EXPECT_EQ(l.settings->dataBits, 7);
        EXPECT_EQ(l.settings->stopBits, SerialStopBits::Two);
        EXPECT_EQ(l.settings->flow, SerialFlow::Hardware);
        EXPECT_EQ(l.timeouts->readTotalConstant, 100ms);
    });
}

TEST(CSerialPort, FailedOpenRaisesTheSystemErrorAndKeepsTheDocumentedState) {
    struct Case {
        const char* name;
        std::function<void(Line&)> hardware;
        bool overlapped;
        int error;
        bool staysOpen;
    };
    const Case cases[] = {
        {"busy", [](Line& l) { l.openError = EBUSY; }, false, EBUSY, false},
        {"settings refused", [](Line& l) { l.settingsError = EINVAL; }, false, EINVAL, true},
        {"overlapped", [](Line&) {}, true, EINVAL, false},
    };
    for (const auto& c : cases) {
        FakeSerialPorts ports;
        ports.With(1, c.hardware);
        CSerialPort port(ports);
        EXPECT_EQ(ErrorOf([&] { OpenCom(port, 1, c.overlapped); }), c.error) << c.name;
        EXPECT_EQ(port.IsOpen(), c.staysOpen) << c.name;
    }
    FakeSerialPorts none;
    CSerialPort missing(none);
    EXPECT_EQ(ErrorOf([&] { OpenCom(missing, 1); }), ENOENT);
    EXPECT_FALSE(missing.IsOpen());
}

TEST(CSerialPort, ClosedPortRefusesIoButReportsEmptyQueues) {
    FakeSerialPorts ports;
    ports.With(1, [](Line& l) { l.input = {0x41}; });
    CSerialPort port(ports);
    Bytes buffer(1);

    EXPECT_EQ(ErrorOf([&] { port.Read(buffer); }), EBADF);
    EXPECT_EQ(ErrorOf([&] { port.Write(buffer); }), EBADF);
    EXPECT_EQ(ErrorOf([&] { port.SetTimeouts(kSerialTimeouts); }), EBADF);
    EXPECT_EQ(port.QueryStatus().input, 0u);
}

TEST(CSerialPort, ReadsWhatWaitsAndReportsShortWrites) {
    FakeSerialPorts ports;
    ports.With(1, [](Line& l) {
        l.input = {0x10, 0x00, 0x00, 0x00, 0x7F};
        l.outputQueue = 3;
        l.writeCapacity = 2;
    });
    CSerialPort port(ports);
    OpenCom(port, 1);

    EXPECT_EQ(port.QueryStatus().input, 5u);
    EXPECT_EQ(port.QueryStatus().output, 3u);
    Bytes block(4);
    EXPECT_EQ(port.Read(block), 4u);
    EXPECT_EQ(test::Hex(block), "10 00 00 00");
    EXPECT_EQ(port.QueryStatus().input, 1u);

    EXPECT_EQ(port.Write(Bytes{0x41, 0x42, 0x43}), 2u);
    EXPECT_EQ(test::Hex(ports.With(1, [](Line& l) { return l.written; })), "41 42");
}

TEST(CSerialPort, ReopeningClosesFirstAndDestructionReleasesTheDevice) {
    FakeSerialPorts ports;
    ports.With(1, [](Line&) {});
    {
        CSerialPort port(ports);
        OpenCom(port, 1);
        EXPECT_EQ(ErrorOf([&] { OpenCom(port, 1, true); }), EINVAL);
        EXPECT_TRUE(port.IsOpen());
        OpenCom(port, 1);
        EXPECT_EQ(ports.With(1, [](Line& l) { return l.opens; }), 2);
    }
    EXPECT_FALSE(ports.With(1, [](Line& l) { return l.open; }));
}

// The poll on the user-interface thread and the commands on the receive thread each hold the port
// across their sequence of calls: the port is opened once and no byte is lost or doubled.
TEST(CSerialPort, TwoThreadsShareOnePortThroughItsLock) {
    constexpr int kBytes = 500;
    FakeSerialPorts ports;
    ports.With(1, [](Line& l) { l.input.assign(kBytes, 0x55); });
    CSerialPort port(ports);
    const auto ensureOpen = [&port] {
        if (!port.IsOpen()) {
            OpenCom(port, 1);
            port.SetTimeouts(kSerialTimeouts);
        }
    };

    std::thread commands([&] {
        for (int i = 0; i < kBytes; ++i) {
            std::lock_guard lock(port);
            ensureOpen();
            port.Write(Bytes{0x41});
        }
    });
    int polled = 0;
    for (int i = 0; i < kBytes; ++i) {
        std::lock_guard lock(port);
        ensureOpen();
        Bytes one(1);
        if (port.QueryStatus().input > 0 && port.Read(one) == 1) {
            ++polled;
        }
    }
    commands.join();

    EXPECT_EQ(polled, kBytes);
    EXPECT_EQ(ports.With(1, [](Line& l) { return l.opens; }), 1);
    EXPECT_EQ(ports.With(1, [](Line& l) { return l.written.size(); }),
              static_cast<std::size_t>(kBytes));
}

} // namespace
} // namespace qx44
