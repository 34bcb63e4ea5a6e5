#include "core/keyboard/PcKeyTable.h"

#include <array>

namespace qx44 {

namespace {

struct Row {
    std::uint16_t evdev;
    PcKey key;
    // The key it is while Ctrl is held, where that differs.
    std::optional<PcKey> withCtrl = std::nullopt;
};

constexpr bool kExt = true;

// Rows in evdev order; scan codes are set 1, virtual keys as the platform's key messages give.
constexpr std::array kRows = {
    Row{1, {0x01, false, 0x1B}},
    Row{2, {0x02, false, 0x31}},
    Row{3, {0x03, false, 0x32}},
    Row{4, {0x04, false, 0x33}},
    Row{5, {0x05, false, 0x34}},
    Row{6, {0x06, false, 0x35}},
    Row{7, {0x07, false, 0x36}},
    Row{8, {0x08, false, 0x37}},
    Row{9, {0x09, false, 0x38}},
    Row{10, {0x0A, false, 0x39}},
    Row{11, {0x0B, false, 0x30}},
    Row{12, {0x0C, false, 0xBD}},
    Row{13, {0x0D, false, 0xBB}},
    Row{14, {0x0E, false, 0x08}},
    Row{15, {0x0F, false, 0x09}},
    Row{16, {0x10, false, 'Q'}},
    Row{17, {0x11, false, 'W'}},
    Row{18, {0x12, false, 'E'}},
    Row{19, {0x13, false, 'R'}},
    Row{20, {0x14, false, 'T'}},
    Row{21, {0x15, false, 'Y'}},
    Row{22, {0x16, false, 'U'}},
    Row{23, {0x17, false, 'I'}},
    Row{24, {0x18, false, 'O'}},
    Row{25, {0x19, false, 'P'}},
    Row{26, {0x1A, false, 0xDB}},
    Row{27, {0x1B, false, 0xDD}},
    Row{28, {0x1C, false, 0x0D}},
    Row{29, {0x1D, false, 0x11, 0xA2}},
    Row{30, {0x1E, false, 'A'}},
    Row{31, {0x1F, false, 'S'}},
    Row{32, {0x20, false, 'D'}},
    Row{33, {0x21, false, 'F'}},
    Row{34, {0x22, false, 'G'}},
    Row{35, {0x23, false, 'H'}},
    Row{36, {0x24, false, 'J'}},
    Row{37, {0x25, false, 'K'}},
    Row{38, {0x26, false, 'L'}},
    Row{39, {0x27, false, 0xBA}},
    Row{40, {0x28, false, 0xDE}},
    Row{41, {0x29, false, 0xC0}},
    Row{42, {0x2A, false, 0x10, 0xA0}},
    Row{43, {0x2B, false, 0xDC}},
    Row{44, {0x2C, false, 'Z'}},
    Row{45, {0x2D, false, 'X'}},
    Row{46, {0x2E, false, 'C'}},
    Row{47, {0x2F, false, 'V'}},
    Row{48, {0x30, false, 'B'}},
    Row{49, {0x31, false, 'N'}},
    Row{50, {0x32, false, 'M'}},
    Row{51, {0x33, false, 0xBC}},
    Row{52, {0x34, false, 0xBE}},
    Row{53, {0x35, false, 0xBF}},
    Row{54, {0x36, false, 0x10, 0xA1}},
    Row{55, {0x37, false, 0x6A}},
    Row{56, {0x38, false, 0x12, 0xA4}},
    Row{57, {0x39, false, 0x20}},
    Row{58, {0x3A, false, 0x14}},
    Row{59, {0x3B, false, 0x70}},
    Row{60, {0x3C, false, 0x71}},
    Row{61, {0x3D, false, 0x72}},
    Row{62, {0x3E, false, 0x73}},
    Row{63, {0x3F, false, 0x74}},
    Row{64, {0x40, false, 0x75}},
    Row{65, {0x41, false, 0x76}},
    Row{66, {0x42, false, 0x77}},
    Row{67, {0x43, false, 0x78}},
    Row{68, {0x44, false, 0x79}},
    // Num Lock arrives with the extended flag and Pause without it, the reverse of their
    // set-1 prefixes; key messages have always carried them that way.
    Row{69, {0x45, kExt, 0x90}},
    Row{70, {0x46, false, 0x91}},
    Row{71, {0x47, false, 0x67, 0, 0x24}},
    Row{72, {0x48, false, 0x68, 0, 0x26}},
    Row{73, {0x49, false, 0x69, 0, 0x21}},
    Row{74, {0x4A, false, 0x6D}},
    Row{75, {0x4B, false, 0x64, 0, 0x25}},
    Row{76, {0x4C, false, 0x65, 0, 0x0C}},
    Row{77, {0x4D, false, 0x66, 0, 0x27}},
    Row{78, {0x4E, false, 0x6B}},
    Row{79, {0x4F, false, 0x61, 0, 0x23}},
    Row{80, {0x50, false, 0x62, 0, 0x28}},
    Row{81, {0x51, false, 0x63, 0, 0x22}},
    Row{82, {0x52, false, 0x60, 0, 0x2D}},
    Row{83, {0x53, false, 0x6E, 0, 0x2E}},
    Row{86, {0x56, false, 0xE2}},
    Row{87, {0x57, false, 0x7A}},
    Row{88, {0x58, false, 0x7B}},
    // The JIS and ABNT2 keys: Ro, Henkan, Katakana/Hiragana, Muhenkan.
    Row{89, {0x73, false, 0xC1}},
    Row{92, {0x79, false, 0x1C}},
    Row{93, {0x70, false, 0x15}},
    Row{94, {0x7B, false, 0x1D}},
    Row{96, {0x1C, kExt, 0x0D}},
    Row{97, {0x1D, kExt, 0x11, 0xA3}},
    Row{98, {0x35, kExt, 0x6F}},
    Row{99, {0x37, kExt, 0x2C}},
    Row{100, {0x38, kExt, 0x12, 0xA5}},
    Row{102, {0x47, kExt, 0x24}},
    Row{103, {0x48, kExt, 0x26}},
    Row{104, {0x49, kExt, 0x21}},
    Row{105, {0x4B, kExt, 0x25}},
    Row{106, {0x4D, kExt, 0x27}},
    Row{107, {0x4F, kExt, 0x23}},
    Row{108, {0x50, kExt, 0x28}},
    Row{109, {0x51, kExt, 0x22}},
    Row{110, {0x52, kExt, 0x2D}},
    Row{111, {0x53, kExt, 0x2E}},
    // Pause with Ctrl is Break, a key of its own.
    Row{119, {0x45, false, 0x13}, PcKey{0x46, kExt, 0x03}},
    // Keypad comma (ABNT2) and Yen (JIS).
    Row{121, {0x7E, false, 0xC2}},
    Row{124, {0x7D, false, 0xDC}},
    Row{125, {0x5B, kExt, 0x5B}},
    Row{126, {0x5C, kExt, 0x5C}},
    Row{127, {0x5D, kExt, 0x5D}},
    // F13 to F22.
    Row{183, {0x64, false, 0x7C}},
    Row{184, {0x65, false, 0x7D}},
    Row{185, {0x66, false, 0x7E}},
    Row{186, {0x67, false, 0x7F}},
    Row{187, {0x68, false, 0x80}},
    Row{188, {0x69, false, 0x81}},
    Row{189, {0x6A, false, 0x82}},
    Row{190, {0x6B, false, 0x83}},
    Row{191, {0x6C, false, 0x84}},
    Row{192, {0x6D, false, 0x85}},
    // F23: how the POS keyboard answers the station's echo command.
    Row{193, {0x6E, false, 0x86}},
    Row{194, {0x76, false, 0x87}},
};

} // namespace

std::optional<PcKey> PcKeyTable::FromEvdev(std::uint32_t evdevCode, bool ctrlHeld) {
    for (const Row& row : kRows) {
        if (row.evdev == evdevCode) {
            return ctrlHeld && row.withCtrl ? *row.withCtrl : row.key;
        }
    }
    return std::nullopt;
}

} // namespace qx44
