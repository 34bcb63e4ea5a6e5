#include "core/devices/DeviceControlCommands.h"

#include "core/devices/SerialDeviceRouter.h"
#include "core/devices/VirtualSerialDevice.h"
#include "core/hostlink/CSerialException.h"
#include "core/hostlink/CSerialPort.h"
#include "core/settings/CQX44Setting.h"
#include "support/Bytes.h"
#include "support/FakeSerialPorts.h"
#include "support/NoPseudoTerminals.h"
#include "support/RecordingLog.h"
#include "support/TempDir.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace qx44 {
namespace {

using test::Bytes;

class DeviceControlCommandsTest : public ::testing::Test {
protected:
    DeviceControlCommandsTest() {
        test::TempDir::WriteText(dir.File("setting.txt"),
                                 "[Ports]\nCOM1=virtual\nCOM3=printer\nCOM4=pty\nPrinterDir=" +
                                     dir.Path() + "\nPrinterDirMaxFiles=3\nPrinterDirMaxKiB=2\n");
        CQX44Setting::SetFilePathOverride(dir.File("setting.txt"));
        router.Prepare(1, 8);
    }
    ~DeviceControlCommandsTest() override { CQX44Setting::SetFilePathOverride({}); }

    static void Open(CSerialPort& port, int number) {
        port.Open(number, 9600, SerialParity::None, 8, SerialStopBits::One, SerialFlow::None,
                  false);
    }
    static std::string Take(CSerialPort& port) {
        Bytes bytes(port.QueryStatus().input);
        bytes.resize(port.Read(bytes));
        return test::Hex(bytes);
    }

    test::TempDir dir;
    test::FakeSerialPorts machine;
    test::NoPseudoTerminals ptys;
    SerialDeviceRouter router{machine, ptys};
    DeviceControlCommands commands{router};
};

TEST_F(DeviceControlCommandsTest, VirtualSerialRecordsAndSends) {
    CSerialPort com1(router);
    Open(com1, 1);
    CSerialPort second(router);
    EXPECT_THROW(Open(second, 1), CSerialException) << "held by one opener at a time";

    com1.Write(Bytes{'A', 'B', 0x01});
    EXPECT_EQ(commands.Serial("1").ToLine(),
              "{\"ok\":true,\"port\":1,\"kind\":\"virtual\",\"open\":true,\"text\":\"AB\\u0001\","
              "\"hex\":\"41 42 01\",\"dropped\":0}\n");
    EXPECT_EQ(commands.Serial("1 sendhex 43 44").ToLine(),
              "{\"ok\":true,\"port\":1,\"queued\":2}\n");
    EXPECT_TRUE(commands.Serial("1 send \xC3\xA9 !").IsOk());
    EXPECT_EQ(Take(com1), "43 44 E9 20 21");

    // The record outlives the port's closing and keeps the last MiB.
    com1.Close();
    Open(second, 1);
    second.Write(Bytes(VirtualSerialDevice::kLogBytes, 'z'));
    const std::string record = commands.Serial("1").ToLine();
    EXPECT_NE(record.find("\"dropped\":3}"), std::string::npos) << record.substr(0, 80);
    EXPECT_EQ(commands.Serial("2").ToLine(), "{\"ok\":true,\"port\":2,\"kind\":\"device\"}\n");

    for (const char* bad : {"", "x", "0", "257", "1 bogus", "1 send", "1 sendhex 4", "1 sendhex zz",
                            "1 sendhex", "2 send AB", "4"}) {
        EXPECT_FALSE(commands.Serial(bad).IsOk()) << bad;
    }
}

TEST_F(DeviceControlCommandsTest, PrinterKeepsAndSavesReceiptsAndReportsItsState) {
    test::TempDir::WriteText(dir.File("receipt-000001.txt"), "older");
    CSerialPort com3(router);
    Open(com3, 3);
    com3.Write(Bytes{'H', 'i', '\n', 0x1D, 'V', 0, 'n', 'e', 'x', 't'});
    EXPECT_EQ(commands.Printer("").ToLine(),
              "{\"ok\":true,\"port\":3,\"state\":\"ready\",\"receipts\":[\"Hi\"],"
              "\"current\":\"next\",\"dropped\":0}\n");
    EXPECT_EQ(test::TempDir::ReadText(dir.File("receipt-000001.txt")), "older");
    EXPECT_EQ(test::TempDir::ReadText(dir.File("receipt-000002.txt")), "Hi\n");

    const std::pair<const char*, const char*> states[] = {
        {"ready", "10 00 00 00"},      {"offline", "18 00 00 00"},
        {"cover-open", "38 00 00 00"}, {"paper-near-end", "10 00 03 00"},
        {"paper-end", "18 00 0C 00"},
    };
    for (const auto& [state, block] : states) {
        EXPECT_EQ(commands.Printer(std::string("set ") + state).ToLine(),
                  "{\"ok\":true,\"port\":3,\"state\":\"" + std::string(state) + "\"}\n");
        com3.Write(Bytes{0x1D, 0x61, 0x0E});
        EXPECT_EQ(Take(com3), block) << state;
    }

    EXPECT_NE(commands.Printer("take").ToLine().find("[\"Hi\"]"), std::string::npos);
    EXPECT_NE(commands.Printer("").ToLine().find("\"receipts\":[]"), std::string::npos);
    for (const char* bad : {"bogus", "set", "set broken", "take now", "set ready now"}) {
        EXPECT_FALSE(commands.Printer(bad).IsOk()) << bad;
    }
}

// The folder keeps the newest receipts within its bound (3 files, 2 KiB here): the oldest
// receipt files go, one line says so, and no other file is counted, replaced or deleted.
TEST_F(DeviceControlCommandsTest, PrinterFolderKeepsItsNewestReceiptsWithinItsBound) {
    test::TempDir::WriteText(dir.File("receipt-000004.txt"), "older");
    test::TempDir::WriteText(dir.File("receipt-7.txt"), "not a receipt name");
    test::TempDir::WriteText(dir.File("notes.txt"), "mine");
    test::RecordingLog log;
    CSerialPort com3(router);
    Open(com3, 3);
    const auto print = [&](const std::string& text) {
        com3.Write(Bytes(text.begin(), text.end()));
        com3.Write(Bytes{0x1D, 'V', 0});
    };
    const auto receipts = [&] {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            files[entry.path().filename().string()] = test::TempDir::ReadText(entry.path());
        }
        return files;
    };
    const std::string big(1500, 'b');
    const struct {
        std::string printed;
        std::vector<std::pair<std::string, std::string>> kept;
    } steps[] = {
        {"r5", {{"000004", "older"}, {"000005", "r5\n"}}},
        {"r6", {{"000004", "older"}, {"000005", "r5\n"}, {"000006", "r6\n"}}},
        {"r7", {{"000005", "r5\n"}, {"000006", "r6\n"}, {"000007", "r7\n"}}},
        {big, {{"000006", "r6\n"}, {"000007", "r7\n"}, {"000008", big + "\n"}}},
        {big, {{"000009", big + "\n"}}},
        {std::string(3000, 'x'), {{"000009", big + "\n"}}},
    };
    for (const auto& step : steps) {
        print(step.printed);
        auto expected =
            std::map<std::string, std::string>{{"notes.txt", "mine"},
                                               {"receipt-7.txt", "not a receipt name"},
                                               {"setting.txt", receipts()["setting.txt"]}};
        for (const auto& [number, text] : step.kept) {
            expected["receipt-" + number + ".txt"] = text;
        }
        EXPECT_EQ(receipts(), expected) << step.printed.substr(0, 10);
    }
    std::vector<std::string> lines;
    for (const std::string& line : log.TakeLines()) {
        if (line.find(dir.Path()) != std::string::npos) {
            lines.push_back(line);
        }
    }
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("bound of 3 files or 2 KiB"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("3001 bytes finds no room"), std::string::npos) << lines[1];
}

} // namespace
} // namespace qx44
