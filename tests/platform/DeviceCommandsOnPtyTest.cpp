#include "PseudoTerminal.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/settings/CQX44Setting.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "support/Bytes.h"
#include "support/InterpreterFixture.h"
#include "support/RecordingBeeper.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Hex;
using test::PseudoTerminal;

constexpr int kPrinterCom = test::InterpreterFixture::kPrinterCom;
const Bytes kStatusQuery = {0x1D, 0x61, 0x0E};
const Bytes kReady = {0x10, 0x00, 0x00, 0x00};

// How many of this process's descriptors are open on `path`.
int DescriptorsOn(const std::string& path) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code unreadable;
        if (std::filesystem::read_symlink(entry.path(), unreadable) == path) {
            ++count;
        }
    }
    return count;
}

// The test keeps a slave descriptor of its own, so a second one is the station's port.
bool StationHolds(const PseudoTerminal& pty) {
    return DescriptorsOn(pty.SlavePath()) > 1;
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

// An ESC/POS printer on the master end: waits for one status query and answers it.
class FakePrinter {
public:
    FakePrinter(const PseudoTerminal& pty, Bytes answer)
        : thread_([&pty, answer = std::move(answer), this] {
              query_ = pty.Received(kStatusQuery.size());
              if (query_ == kStatusQuery) {
                  pty.Type(answer);
              }
          }) {}
    FakePrinter(const FakePrinter&) = delete;
    FakePrinter& operator=(const FakePrinter&) = delete;
    ~FakePrinter() { Join(); }

    // What the station sent the printer.
    const Bytes& Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
        return query_;
    }

private:
    Bytes query_;
    std::thread thread_;
};

// COM1, COM2 and the printer's COM3 are pseudo-terminals; the test plays the devices.
class DeviceCommandsOnPty : public test::InterpreterFixture {
protected:
    void SetUp() override {
        MapPorts(com1.SlavePath(), "");
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
    }
    void TearDown() override {
        InterpreterFixture::TearDown();
        CQX44Setting::SetFilePathOverride({});
    }

    void MapPorts(const std::string& com1Path, const std::string& moreSettings) {
        test::TempDir::WriteText(dir.File("setting.txt"),
                                 "[Ports]\nCOM1=" + com1Path + "\nCOM2=" + com2.SlavePath() +
                                     "\nCOM3=" + printer.SlavePath() + "\n" + moreSettings);
    }
    ISerialDeviceFactory& Devices() override { return devices; }
    // Polls as the timers do until the host has `count` bytes; false at the deadline.
    bool PollUntilHostHas(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (host.Sent().size() < count) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            Cmd().PollSerialPorts();
            std::this_thread::yield();
        }
        return true;
    }

    test::TempDir dir;
    PseudoTerminal com1;
    PseudoTerminal com2;
    PseudoTerminal printer;
    TermiosSerialDeviceFactory devices;
};

TEST_F(DeviceCommandsOnPty, DataForCom1ReachesItAndIsAcknowledged) {
    Run(Output(0x0F, {'A', 'B', 'C'}));
    EXPECT_EQ(Hex(com1.Received(3)), "41 42 43");
    EXPECT_EQ(Hex(host.Sent()), "02 01 35 03");
}

TEST_F(DeviceCommandsOnPty, DataForCom2NeverTouchesCom1) {
    Run(Output(0x1F, {'X', 'Y', 'Z'}));
    EXPECT_EQ(Hex(com2.Received(3)), "58 59 5A");
    EXPECT_EQ(Hex(host.Sent()), "02 01 35 03");
    EXPECT_FALSE(StationHolds(com1));
}

TEST_F(DeviceCommandsOnPty, MissingCom1SendsNothingAndIsFoundOnceItAppears) {
    const std::string later = dir.File("com1-later");
    MapPorts(later, "");
    Run(Output(0x0F, {'A'}));
    Cmd().PollSerialPorts();
    EXPECT_TRUE(host.Sent().empty());

    std::filesystem::create_symlink(com1.SlavePath(), later);
    Cmd().PollSerialPorts();
    com1.Type(Bytes{0x7E});
    ASSERT_TRUE(PollUntilHostHas(5));
    EXPECT_EQ(Hex(host.Sent()), "02 01 12 7E 03");
}

TEST_F(DeviceCommandsOnPty, BytesTypedOnEachPortReachTheHostWithItsCode) {
    Cmd().SetUsbPrinterEnabled(true);
    const struct {
        PseudoTerminal& pty;
        std::string message;
    } cases[] = {
        {com1, "02 01 12 31 03"},
        {com2, "02 01 22 32 03"},
        {printer, "02 01 52 33 03"},
    };
    std::uint8_t byte = 0x31;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const std::size_t before = host.Sent().size();
        c.pty.Type(Bytes{byte++});
        ASSERT_TRUE(PollUntilHostHas(before + 5));
        const Bytes sent = host.Sent();
        EXPECT_EQ(Hex(Bytes(sent.begin() + static_cast<std::ptrdiff_t>(before), sent.end())),
                  c.message);
    }
}

TEST_F(DeviceCommandsOnPty, ThreeBytesOnCom2AreThreeMessagesOnePerPoll) {
    Cmd().EnsureSerialOpen(2);
    com2.Type(Bytes{0x0A, 0x0B, 0x0C});
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    std::size_t received = 0;
    while (received < 15 && std::chrono::steady_clock::now() < deadline) {
        Cmd().PollSerialPorts();
        const std::size_t now = host.Sent().size();
        EXPECT_LE(now - received, 5u) << "one message per poll";
        received = now;
    }
    EXPECT_EQ(Hex(host.Sent()), "02 01 22 0A 03 02 01 22 0B 03 02 01 22 0C 03");
}

TEST_F(DeviceCommandsOnPty, HardwareFlowControlFollowsTheFlowSetting) {
    for (const int flow : {1, 0}) {
        SCOPED_TRACE(flow);
        MapPorts(com1.SlavePath(), "[Serial1]\nFlow=" + std::to_string(flow) + "\n");
        CVantorCmd cmd(Screen(), Bar(), host, devices, beeper);
        cmd.EnsureSerialOpen(1);
        ASSERT_TRUE(StationHolds(com1));
        EXPECT_EQ((com1.SlaveSettings().c_cflag & CRTSCTS) != 0, flow == 1);
    }
}

TEST_F(DeviceCommandsOnPty, PortStatus) {
    Run({0x02, 0x01, 0x42, 0x01, 0x03});
    Run({0x02, 0x01, 0x42, 0x07, 0x03});
    EXPECT_EQ(Hex(host.Sent()), "02 01 34 01 FF 03 02 01 34 07 00 03");
    EXPECT_FALSE(StationHolds(com1)) << "asking does not open the port";
}

TEST_F(DeviceCommandsOnPty, DisabledPrinterTakesNoDataButIsStillChecked) {
    Run(Output(0x50, {'P'}));
    EXPECT_TRUE(host.Sent().empty());
    EXPECT_FALSE(StationHolds(printer));

    FakePrinter answering(printer, kReady);
    Run({0x02, 0x01, 0x42, 0xFE, 0x03});
    EXPECT_EQ(Hex(answering.Join()), Hex(kStatusQuery));
    EXPECT_EQ(Hex(host.Sent()), "02 01 34 FE 00 03");
    EXPECT_TRUE(StationHolds(printer));
}

TEST_F(DeviceCommandsOnPty, EnabledPrinterTakesDataWithAcknowledgement) {
    Cmd().SetUsbPrinterEnabled(true);
    Run(Output(0x50, {'R', 'C', 'P'}));
    EXPECT_EQ(Hex(printer.Received(3)), "52 43 50");
    EXPECT_EQ(Hex(host.Sent()), "02 01 35 03");
}

TEST_F(DeviceCommandsOnPty, PrinterStatusCheck) {
    const struct {
        const char* name;
        std::optional<Bytes> answer;
        std::string reply;
        bool heldAfter;
    } cases[] = {
        {"off-line and cover open", Bytes{0x28, 0x00, 0x00, 0x00}, "02 01 34 FE FF 03", false},
        {"ready", kReady, "02 01 34 FE 00 03", true},
        {"no answer", std::nullopt, "02 01 34 FE FF 03", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PseudoTerminal fresh;
        test::TempDir::WriteText(dir.File("setting.txt"),
                                 "[Ports]\nCOM3=" + fresh.SlavePath() + "\n");
        test::RecordingHost freshHost;
        CVantorCmd cmd(Screen(), Bar(), freshHost, devices, beeper);
        cmd.SetPrinterPortNumber(kPrinterCom);
        std::optional<FakePrinter> answering;
        if (c.answer) {
            answering.emplace(fresh, *c.answer);
        }
        const Bytes query = {0x02, 0x01, 0x42, 0xFE, 0x03};
        cmd.DispatchHostMessage(1, 0x42, query, closing);
        EXPECT_EQ(Hex(answering ? answering->Join() : fresh.Received(3)), Hex(kStatusQuery));
        EXPECT_EQ(Hex(freshHost.Sent()), c.reply);
        EXPECT_EQ(StationHolds(fresh), c.heldAfter);
    }
}

// The timers keep polling while the check waits for the printer; its answer must go to the
// check, not to the host as printer input.
TEST_F(DeviceCommandsOnPty, PollDuringAStatusCheckLeavesTheAnswerToIt) {
    Cmd().SetUsbPrinterEnabled(true);
    std::atomic<bool> checking{true};
    std::atomic<int> polls{0};
    std::thread timers([&] {
        while (checking) {
            Cmd().PollSerialPorts();
            ++polls;
        }
    });
    FakePrinter answering(printer, kReady);
    Run({0x02, 0x01, 0x42, 0xFE, 0x03});
    answering.Join();
    checking = false;
    timers.join();
    EXPECT_GT(polls.load(), 0);
    EXPECT_EQ(Hex(host.Sent()), "02 01 34 FE 00 03");
}

} // namespace
} // namespace qx44
