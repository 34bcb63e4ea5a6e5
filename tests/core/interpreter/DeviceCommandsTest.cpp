#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/InterpreterFixture.h"
#include "support/RecordingBeeper.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Hex;
using test::Repeat;
using Line = test::FakeSerialPorts::Line;
using test::RecordingHost;

constexpr int kPrinterCom = test::InterpreterFixture::kPrinterCom;
const Bytes kAck = {0x02, 0x01, 0x35, 0x03};
const Bytes kStatusQuery = {0x1D, 0x61, 0x0E};

// COM port hardware that fails or stalls in one way.
Line OpenError(int error) {
    Line line;
    line.openError = error;
    return line;
}
Line SettingsError(int error) {
    Line line;
    line.settingsError = error;
    return line;
}
Line WriteError(int error) {
    Line line;
    line.writeError = error;
    return line;
}
Line ReadError(int error) {
    Line line;
    line.readError = error;
    return line;
}
Line WriteCapacity(std::size_t bytes) {
    Line line;
    line.writeCapacity = bytes;
    return line;
}
// A receipt still going out when the command arrives.
Line Printing(Line line) {
    line.outputQueue = 40;
    line.sentPerQuery = 10;
    return line;
}

// An output command: STX, address, code, the data's length, the data, ETX.
Bytes Output(std::uint8_t code, const Bytes& data) {
    Bytes message(data.size() + 5, 0x03);
    message[0] = 0x02;
    message[1] = 0x01;
    message[2] = code;
    message[3] = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), message.begin() + 4);
    return message;
}

Bytes PortStatusQuery(std::uint8_t port) {
    return {0x02, 0x01, 0x42, port, 0x03};
}

Bytes PortStatusReply(std::uint8_t port, std::uint8_t status) {
    return {0x02, 0x01, 0x34, port, status, 0x03};
}

// The interpreter over fake COM ports: COM3 is where the receipt printer is mapped.
class DeviceCommandsTest : public test::InterpreterFixture {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override {
        InterpreterFixture::TearDown();
        CQX44Setting::SetFilePathOverride({});
    }

    ISerialDeviceFactory& Devices() override { return ports; }
    Line Port(int number) {
        return ports.With(number, [](Line& line) { return line; });
    }
    void Plug(int number, Line line = {}) {
        ports.With(number, [&](Line& hardware) { hardware = std::move(line); });
    }
    void Type(int number, const Bytes& bytes) {
        ports.With(number, [&](Line& line) {
            line.input.insert(line.input.end(), bytes.begin(), bytes.end());
        });
    }
    void Set(const char* section, const char* key, int value) {
        CQX44Setting(dir.File("setting.txt")).WriteInt(section, key, value);
    }

    test::TempDir dir;
    test::FakeSerialPorts ports;
};

TEST_F(DeviceCommandsTest, BeepsAtTheirPitchForQuarterSeconds) {
    Set("Main", "Pitch", 1800);
    const struct {
        Bytes message;
        test::RecordingBeeper::Call beep;
    } cases[] = {
        {{0x02, 0x01, 0x10, 0x04, 0x03}, {1800, 1000ms}},
        {{0x02, 0x01, 0x22, 0x02, 0x0A, 0x03}, {2400, 500ms}},
        {{0x02, 0x01, 0x22, 0xFF, 0x19, 0x03}, {3000, 63750ms}},
    };
    std::vector<test::RecordingBeeper::Call> expected;
    for (const auto& c : cases) {
        Run(c.message);
        expected.push_back(c.beep);
    }
    Cmd().StartupBeep();
    expected.push_back({1800, 750ms});
    EXPECT_EQ(beeper.Calls(), expected);
    EXPECT_TRUE(host.Sent().empty());
}

TEST_F(DeviceCommandsTest, SerialOutputIsAcknowledgedOnlyWhenEveryByteWentOut) {
    const struct {
        const char* name;
        Bytes message;
        int port;
        Line line;
        Bytes written;
        bool acknowledged;
    } cases[] = {
        {"COM1", Output(0x0F, {'A', 'B', 'C'}), 1, {}, {'A', 'B', 'C'}, true},
        {"COM2", Output(0x1F, {'X', 'Y'}), 2, {}, {'X', 'Y'}, true},
        {"nothing to write", Output(0x0F, {}), 1, {}, {}, true},
        {"write timed out", Output(0x0F, {'A', 'B', 'C'}), 1, WriteCapacity(2), {'A', 'B'}, false},
        {"write failed", Output(0x1F, {'A'}), 2, WriteError(EIO), {}, false},
        {"device busy", Output(0x0F, {'A'}), 1, OpenError(EBUSY), {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeSerialPorts fresh;
        fresh.With(c.port, [&](Line& line) { line = c.line; });
        fresh.With(3 - c.port, [](Line&) {});
        RecordingHost freshHost;
        CVantorCmd cmd(Screen(), Bar(), freshHost, fresh, beeper);
        cmd.DispatchHostMessage(1, c.message[2], c.message, closing);
        const Line used = fresh.With(c.port, [](Line& line) { return line; });
        EXPECT_EQ(Hex(used.written), Hex(c.written));
        EXPECT_EQ(Hex(freshHost.Sent()), c.acknowledged ? Hex(kAck) : "");
        EXPECT_EQ(fresh.With(3 - c.port, [](Line& line) { return line.opens; }), 0)
            << "the other port is never touched";
        EXPECT_EQ(used.open, c.line.openError == 0) << "a failed write leaves the port open";
    }
}

TEST_F(DeviceCommandsTest, PortsOpenWithTheirLineSettingsAndTimeouts) {
    Set("Serial1", "Baud", 4800);
    Set("Serial1", "Parity", 2);
    Set("Serial1", "Bits", 7);
    Set("Serial1", "Flow", 1);
    Set("Serial2", "Flow", 2);
    Plug(1);
    Plug(2);
    Plug(kPrinterCom);
    Cmd().SetUsbPrinterEnabled(true);
    Cmd().PollSerialPorts();

    const SerialTimeouts serial{2ms, 2ms, 100ms, 2ms, 100ms};
    const SerialTimeouts printer{2ms, 0ms, 0ms, 1ms, 10ms};
    const struct {
        int port;
        SerialLineSettings line;
        SerialTimeouts timeouts;
    } cases[] = {
        {1, {4800, SerialParity::Even, 7, SerialStopBits::One, SerialFlow::Hardware}, serial},
        {2, {9600, SerialParity::None, 8, SerialStopBits::One, SerialFlow::Hardware}, serial},
        {kPrinterCom,
         {9600, SerialParity::None, 8, SerialStopBits::One, SerialFlow::None},
         printer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        const Line line = Port(c.port);
        ASSERT_TRUE(line.open);
        ASSERT_TRUE(line.settings && line.timeouts);
        EXPECT_EQ(line.settings->baud, c.line.baud);
        EXPECT_EQ(line.settings->parity, c.line.parity);
        EXPECT_EQ(line.settings->dataBits, c.line.dataBits);
        EXPECT_EQ(line.settings->stopBits, c.line.stopBits);
        EXPECT_EQ(line.settings->flow, c.line.flow);
        EXPECT_EQ(line.timeouts->readInterval, c.timeouts.readInterval);
        EXPECT_EQ(line.timeouts->readTotalPerByte, c.timeouts.readTotalPerByte);
        EXPECT_EQ(line.timeouts->readTotalConstant, c.timeouts.readTotalConstant);
        EXPECT_EQ(line.timeouts->writeTotalPerByte, c.timeouts.writeTotalPerByte);
        EXPECT_EQ(line.timeouts->writeTotalConstant, c.timeouts.writeTotalConstant);
    }
}

TEST_F(DeviceCommandsTest, PortThatRefusesItsSettingsStaysOpenAsItWas) {
    Plug(1, SettingsError(EINVAL));
    Run(Output(0x0F, {'O', 'K'}));
    const Line line = Port(1);
    EXPECT_TRUE(line.open);
    EXPECT_FALSE(line.timeouts);
    EXPECT_EQ(Hex(line.written), "4F 4B");
    EXPECT_EQ(Hex(host.Sent()), Hex(kAck));
    Cmd().PollSerialPorts();
    EXPECT_EQ(Port(1).opens, 1) << "an open port is not opened again";
}

TEST_F(DeviceCommandsTest, PrinterOutput) {
    const struct {
        const char* name;
        Line line;
        bool acknowledged;
        bool openAfter;
    } cases[] = {
        {"written", {}, true, true},
        {"cut short", WriteCapacity(1), false, true},
        {"write failed", WriteError(EIO), false, false},
        {"write failed while printing", Printing(WriteError(EIO)), false, false},
        {"busy device", OpenError(EBUSY), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeSerialPorts fresh;
        fresh.With(kPrinterCom, [&](Line& line) { line = c.line; });
        RecordingHost freshHost;
        CVantorCmd cmd(Screen(), Bar(), freshHost, fresh, beeper);
        cmd.SetPrinterPortNumber(kPrinterCom);
        cmd.SetUsbPrinterEnabled(true);
        const Bytes message = Output(0x50, {'R', 'X'});
        cmd.DispatchHostMessage(1, 0x50, message, closing);
        EXPECT_EQ(Hex(freshHost.Sent()), c.acknowledged ? Hex(kAck) : "");
        const Line printer = fresh.With(kPrinterCom, [](Line& line) { return line; });
        EXPECT_EQ(printer.open, c.openAfter);
        EXPECT_EQ(printer.discarded, 0u) << "acknowledged output is never thrown away";
    }
}

TEST_F(DeviceCommandsTest, OpenPortIsReadyOnceItsOutputHasGone) {
    Plug(1);
    ports.With(2, [](Line& line) { line.outputQueue = 12; });
    Cmd().EnsureSerialOpen(1);
    Cmd().EnsureSerialOpen(2);
    Run(PortStatusQuery(1));
    Run(PortStatusQuery(2));
    EXPECT_EQ(Hex(host.Sent()), "02 01 34 01 00 03 02 01 34 02 FF 03");
}

// The status blocks are in the printer's input before the check looks, as if answered at once.
TEST_F(DeviceCommandsTest, PrinterStatusFromTheLatestBlock) {
    const struct {
        const char* name;
        Line line;
        Bytes answer;
        std::uint8_t status;
        bool openAfter;
    } cases[] = {
        {"ready", {}, {0x10, 0x00, 0x00, 0x00}, 0x00, true},
        {"off-line and cover open", {}, {0x28, 0x00, 0x00, 0x00}, 0xFF, false},
        {"off-line", {}, {0x08, 0x00, 0x00, 0x00}, 0xFF, false},
        {"off-line while printing", Printing({}), {0x08, 0x00, 0x00, 0x00}, 0xFF, false},
        {"cover open", {}, {0x20, 0x00, 0x00, 0x00}, 0xFF, false},
        {"paper near end", {}, {0x00, 0x00, 0x03, 0x00}, 0xFF, false},
        {"paper end", {}, {0x00, 0x00, 0x0C, 0x00}, 0xFF, false},
        {"other bits", {}, {0xD7, 0xFF, 0xF0, 0xFF}, 0x00, true},
        {"latest block counts", {}, {0x28, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00}, 0x00, true},
        {"no answer", {}, {}, 0xFF, true},
        {"short answer", {}, {0x10, 0x00, 0x00}, 0xFF, true},
        {"short answer after a block", {}, {0x10, 0x00, 0x00, 0x00, 0x28}, 0x00, true},
        {"1023 blocks", {}, Repeat({0x10, 0x00, 0x00, 0x00}, 1023), 0x00, true},
        {"still streaming after 1024 blocks", {}, Repeat({0x10, 0, 0, 0}, 1024), 0xFF, true},
        {"query not taken", WriteError(EIO), {0x10, 0x00, 0x00, 0x00}, 0xFF, false},
        {"query cut short", WriteCapacity(2), {0x10, 0x00, 0x00, 0x00}, 0xFF, false},
        {"read failed", ReadError(EIO), {0x10, 0x00, 0x00, 0x00}, 0xFF, false},
        {"cannot be opened", OpenError(EBUSY), {}, 0xFF, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::FakeSerialPorts fresh;
        fresh.With(kPrinterCom, [&](Line& line) {
            line = c.line;
            line.input.assign(c.answer.begin(), c.answer.end());
        });
        RecordingHost freshHost;
        CVantorCmd cmd(Screen(), Bar(), freshHost, fresh, beeper);
        cmd.SetPrinterPortNumber(kPrinterCom);
        const Bytes query = PortStatusQuery(0xFE);
        cmd.DispatchHostMessage(1, 0x42, query, closing);
        EXPECT_EQ(Hex(freshHost.Sent()), Hex(PortStatusReply(0xFE, c.status)));
        const Line printer = fresh.With(kPrinterCom, [](Line& line) { return line; });
        EXPECT_EQ(printer.open, c.openAfter);
        EXPECT_EQ(printer.discarded, 0u) << "acknowledged output is never thrown away";
        if (c.line.openError == 0 && c.line.writeError == 0 && c.line.writeCapacity >= 3) {
            EXPECT_EQ(Hex(printer.written), Hex(kStatusQuery));
        }
    }
}

TEST_F(DeviceCommandsTest, PrinterOnCom1ReportsItsBytesAsCom1) {
    Plug(1);
    Cmd().SetPrinterPortNumber(1);
    Cmd().SetUsbPrinterEnabled(true);
    // The check opens COM1 for the printer first, so Serial1 finds the device taken.
    Run(PortStatusQuery(0xFE));
    Type(1, {0x66});
    Cmd().PollSerialPorts();
    EXPECT_EQ(Hex(host.Sent()), "02 01 34 FE FF 03 02 01 12 66 03");
}

// The connection closes while the check waits: nobody reads its answer, and the next host must
// not get it as printer input either, whenever it comes; what the printer sends later is input.
TEST_F(DeviceCommandsTest, StatusCheckForAHostThatLeftSendsNothing) {
    Plug(kPrinterCom);
    Type(kPrinterCom, {0x10, 0x00, 0x00, 0x00});
    closing.Cancel();
    Run(PortStatusQuery(0xFE));
    EXPECT_TRUE(host.Sent().empty());

    Cmd().SetUsbPrinterEnabled(true);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (!Port(kPrinterCom).input.empty() && std::chrono::steady_clock::now() < deadline) {
        Cmd().PollSerialPorts();
    }
    EXPECT_TRUE(Port(kPrinterCom).input.empty());
    EXPECT_EQ(Hex(host.Sent()), "");
    Type(kPrinterCom, {0x66});
    Cmd().PollSerialPorts();
    EXPECT_EQ(Hex(host.Sent()), "02 01 52 66 03");
}

TEST_F(DeviceCommandsTest, MessagesShorterThanTheirFieldsAreNotRun) {
    Plug(1);
    Plug(2);
    Plug(kPrinterCom);
    Cmd().SetUsbPrinterEnabled(true);
    for (std::uint8_t code : {0x0F, 0x10, 0x1F, 0x22, 0x42, 0x50}) {
        const Bytes truncated = {0x02, 0x01, code};
        Cmd().DispatchHostMessage(1, code, truncated, closing);
    }
    for (std::uint8_t code : {0x0F, 0x1F, 0x50}) {
        const Bytes shortOfItsCount = {0x02, 0x01, code, 0x05, 'A', 'B', 0x03};
        Cmd().DispatchHostMessage(1, code, shortOfItsCount, closing);
    }
    EXPECT_TRUE(beeper.Calls().empty());
    EXPECT_TRUE(host.Sent().empty());
    EXPECT_EQ(Port(1).opens + Port(2).opens + Port(kPrinterCom).opens, 0);
}

} // namespace
} // namespace qx44
