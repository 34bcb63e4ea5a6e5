#include "core/keyboard/CKBHardware.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qx44 {
namespace {

using namespace std::chrono_literals;

// Entries as /proc/bus/input/devices lists them, cut to the lines that matter.
const std::string kPowerButton = "N: Name=\"Power Button\"\nH: Handlers=kbd event0 \nB: EV=3\n\n";
const std::string kMouse =
    "N: Name=\"USB Optical Mouse\"\nH: Handlers=mouse0 event5 \nB: EV=17\n\n";
const std::string kKeyboard = "I: Bus=0011 Vendor=0001 Product=0001 Version=ab41\n"
                              "N: Name=\"AT Translated Set 2 keyboard\"\n"
                              "H: Handlers=sysrq kbd event3 leds \n"
                              "B: PROP=0\n"
                              "B: EV=120013\n"
                              "B: KEY=402000000 3803078f800d001 feffffdfffefffff\n";

TEST(CKBHardwareTest, FindsAKeyboardInTheInputDeviceList) {
    const std::pair<std::string, bool> lists[] = {
        {kPowerButton + kMouse + kKeyboard, true},
        {kKeyboard + "\n" + kPowerButton, true},
        {"H: Handlers=kbd event3\r\nB: EV=120013\r\n", true},
        {kPowerButton + kMouse, false},
        {"", false},
        {"H: Handlers=kbd event7\nB: EV=120000\n", false},
        {"H: Handlers=kbdx event2\nB: EV=120013\n", false},
        {"H: Handlers=kbd\nB: EV=12x013\n", false},
        {"H: Handlers=kbd\nB: EV=\n", false},
        {"H: Handlers=kbd\nB: EV=3\n\nB: EV=120013\n", false},
    };
    for (const auto& [list, keyboard] : lists) {
        EXPECT_EQ(CKBHardware::FindHidKeyboard(list), keyboard) << list;
    }
}

class CKBHardwareTickTest : public ::testing::Test, public IKeyboardDevices {
protected:
    std::string ReadDeviceList() override { return list; }
    bool WriteEchoDevice(std::uint8_t command) override {
        echoes += command == CKBHardware::kEchoCommand;
        return echoDevice;
    }
    // The icon's answer at each of `count` one-second ticks; NoteEcho after each when `echoing`.
    std::vector<bool> Ticks(int count, bool echoing = false) {
        std::vector<bool> answers;
        for (int i = 0; i < count; ++i) {
            now += 1s;
            answers.push_back(hardware.IsKeyboardPresent());
            if (echoing) {
                hardware.NoteEcho();
            }
        }
        return answers;
    }

    std::string list = kPowerButton;
    bool echoDevice = false;
    int echoes = 0;
    std::chrono::steady_clock::time_point now{1000s + 300ms};
    CKBHardware hardware{*this, [this] { return now; }};
};

TEST_F(CKBHardwareTickTest, AListedKeyboardNeedsNoEcho) {
    list += kKeyboard;
    echoDevice = true;
    EXPECT_EQ(Ticks(5), std::vector<bool>(5, true));
    EXPECT_EQ(echoes, 0);
}

TEST_F(CKBHardwareTickTest, NoKeyboardAndNoEchoDevice) {
    EXPECT_EQ(Ticks(2, true), (std::vector<bool>{false, false}));
}

TEST_F(CKBHardwareTickTest, APosKeyboardCountsWhileItsEchoIsFresh) {
    echoDevice = true;
    EXPECT_EQ(Ticks(5), (std::vector<bool>{true, true, true, false, false}));
    EXPECT_EQ(echoes, 5);
    EXPECT_EQ(Ticks(3, true), (std::vector<bool>{false, true, true}));
    EXPECT_EQ(Ticks(5), (std::vector<bool>{true, true, true, false, false})) << "pulled";
}

TEST(CKBHardwareTest, TheEchoIsKnownByItsScanCode) {
    EXPECT_TRUE(CKBHardware::IsEcho(0x006E));
    EXPECT_TRUE(CKBHardware::IsEcho(0xFFFFC16E));
    EXPECT_FALSE(CKBHardware::IsEcho(0x006F));
    EXPECT_FALSE(CKBHardware::IsEcho(0x6E00));
}

} // namespace
} // namespace qx44
