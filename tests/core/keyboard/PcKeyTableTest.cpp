#include "core/keyboard/PcKeyTable.h"

#include "core/keyboard/KeyStateTable.h"

#include <gtest/gtest.h>
#include <set>

namespace qx44 {
namespace {

TEST(PcKeyTableTest, KeysOfAPcKeyboard) {
    const struct {
        const char* name;
        std::uint32_t evdev;
        std::uint8_t scan;
        bool extended;
        std::uint8_t vk;
        bool ctrlHeld = false;
    } rows[] = {
        {"Esc", 1, 0x01, false, 0x1B},
        {"1", 2, 0x02, false, 0x31},
        {"0", 11, 0x0B, false, 0x30},
        {"Backspace", 14, 0x0E, false, 0x08},
        {"A", 30, 0x1E, false, 'A'},
        {"Z", 44, 0x2C, false, 'Z'},
        {"Enter", 28, 0x1C, false, 0x0D},
        {"keypad Enter", 96, 0x1C, true, 0x0D},
        {"left Ctrl", 29, 0x1D, false, 0x11},
        {"right Ctrl", 97, 0x1D, true, 0x11},
        {"left Shift", 42, 0x2A, false, 0x10},
        {"right Shift", 54, 0x36, false, 0x10},
        {"left Alt", 56, 0x38, false, 0x12},
        {"right Alt", 100, 0x38, true, 0x12},
        {"keypad /", 98, 0x35, true, 0x6F},
        {"/", 53, 0x35, false, 0xBF},
        {"keypad *", 55, 0x37, false, 0x6A},
        {"Print Screen", 99, 0x37, true, 0x2C},
        {"keypad 7", 71, 0x47, false, 0x67},
        {"Home", 102, 0x47, true, 0x24},
        {"Up", 103, 0x48, true, 0x26},
        {"Left", 105, 0x4B, true, 0x25},
        {"Right", 106, 0x4D, true, 0x27},
        {"Down", 108, 0x50, true, 0x28},
        {"Page Up", 104, 0x49, true, 0x21},
        {"Page Down", 109, 0x51, true, 0x22},
        {"End", 107, 0x4F, true, 0x23},
        {"Insert", 110, 0x52, true, 0x2D},
        {"Delete", 111, 0x53, true, 0x2E},
        {"Num Lock", 69, 0x45, true, 0x90},
        {"Pause", 119, 0x45, false, 0x13},
        {"Break: Pause with Ctrl", 119, 0x46, true, 0x03, true},
        {"Scroll Lock with Ctrl", 70, 0x46, false, 0x91, true},
        {"F1", 59, 0x3B, false, 0x70},
        {"F10", 68, 0x44, false, 0x79},
        {"F11", 87, 0x57, false, 0x7A},
        {"F12", 88, 0x58, false, 0x7B},
        {"left Windows", 125, 0x5B, true, 0x5B},
        {"right Windows", 126, 0x5C, true, 0x5C},
        {"Menu", 127, 0x5D, true, 0x5D},
        {"key left of Z", 86, 0x56, false, 0xE2},
        {"`", 41, 0x29, false, 0xC0},
        {"F13", 183, 0x64, false, 0x7C},
        {"F22", 192, 0x6D, false, 0x85},
        {"F24", 194, 0x76, false, 0x87},
        {"Ro", 89, 0x73, false, 0xC1},
        {"Henkan", 92, 0x79, false, 0x1C},
        {"Katakana/Hiragana", 93, 0x70, false, 0x15},
        {"Muhenkan", 94, 0x7B, false, 0x1D},
        {"keypad comma", 121, 0x7E, false, 0xC2},
        {"Yen", 124, 0x7D, false, 0xDC},
    };
    for (const auto& row : rows) {
        const auto key = PcKeyTable::FromNative(row.evdev + PcKeyTable::kX11Offset, row.ctrlHeld);
        ASSERT_TRUE(key.has_value()) << row.name;
        EXPECT_EQ(key->scanCode, row.scan) << row.name;
        EXPECT_EQ(key->extended, row.extended) << row.name;
        EXPECT_EQ(key->virtualKey, row.vk) << row.name;
    }
}

TEST(PcKeyTableTest, EveryKeyHasADistinctScanCode) {
    std::set<int> seen;
    int keys = 0;
    for (std::uint32_t evdev = 0; evdev < 256; ++evdev) {
        if (const auto key = PcKeyTable::FromEvdev(evdev)) {
            ++keys;
            EXPECT_TRUE(seen.insert(key->scanCode | (key->extended ? 0x100 : 0)).second) << evdev;
        }
    }
    EXPECT_EQ(keys, 123) << "a 105-key keyboard, F13 to F24 and the JIS and ABNT2 keys";
}

TEST(PcKeyTableTest, UnknownCodesAreNoKey) {
    for (std::uint32_t native : {0u, 7u, 8u, 8u + 84u, 8u + 200u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(PcKeyTable::FromNative(native).has_value()) << native;
    }
}

TEST(KeyStateTableTest, ModifiersAreHeldUnderBothCodes) {
    KeyStateTable state;
    const PcKey leftCtrl = *PcKeyTable::FromEvdev(29);
    const PcKey rightCtrl = *PcKeyTable::FromEvdev(97);
    state.Update(leftCtrl, 0x11, true);
    state.Update(rightCtrl, 0x11, true);
    EXPECT_TRUE(state.IsKeyDown(0x11));
    EXPECT_TRUE(state.IsKeyDown(0xA2));
    EXPECT_TRUE(state.IsKeyDown(0xA3));
    state.Update(leftCtrl, 0x11, false);
    EXPECT_TRUE(state.IsKeyDown(0x11)) << "right Ctrl still holds it";
    EXPECT_FALSE(state.IsKeyDown(0xA2));
    state.Update(rightCtrl, 0x11, false);
    EXPECT_FALSE(state.IsKeyDown(0x11));
}

TEST(KeyStateTableTest, SystemKeys) {
    KeyStateTable state;
    const PcKey alt = *PcKeyTable::FromEvdev(56);
    const PcKey x = *PcKeyTable::FromEvdev(45);
    EXPECT_FALSE(state.IsSystemKey('X'));
    EXPECT_TRUE(state.IsSystemKey(KeyStateTable::kF10));
    state.Update(alt, KeyStateTable::kAlt, true);
    EXPECT_TRUE(state.IsSystemKey(KeyStateTable::kAlt));
    state.Update(x, 'X', true);
    EXPECT_TRUE(state.IsSystemKey('X'));
    state.Update(alt, KeyStateTable::kAlt, false);
    EXPECT_TRUE(state.IsSystemKey(KeyStateTable::kAlt)) << "Alt's own release";
    EXPECT_FALSE(state.IsSystemKey('X'));
}

} // namespace
} // namespace qx44
