#include "core/keyboard/CVkQX44.h"

#include <array>

namespace qx44 {

namespace {

struct Row {
    std::string_view name;
    std::uint32_t code;
};

// Punctuation rows carry the character's own code, not the code of the key that types it ("'"
// carries the right arrow's 0x27); the names with a trailing blank are the station's own.
constexpr std::array<Row, CVkQX44::GetCount()> kRows{{
    {"Space", 0x20},       {"'", 0x27},           {",", 0x2C},           {"-", 0x2D},
    {".", 0x2E},           {"/", 0x2F},           {"0", 0x30},           {"1", 0x31},
    {"2", 0x32},           {"3", 0x33},           {"4", 0x34},           {"5", 0x35},
    {"6", 0x36},           {"7", 0x37},           {"8", 0x38},           {"9", 0x39},
    {";", 0x3B},           {"=", 0x3D},           {"[", 0x5B},           {"\\", 0x5C},
    {"]", 0x5D},           {"`", 0x60},           {"a", 0x41},           {"b", 0x42},
    {"c", 0x43},           {"d", 0x44},           {"e", 0x45},           {"f", 0x46},
    {"g", 0x47},           {"h", 0x48},           {"i", 0x49},           {"j", 0x4A},
    {"k", 0x4B},           {"l", 0x4C},           {"m", 0x4D},           {"n", 0x4E},
    {"o", 0x4F},           {"p", 0x50},           {"q", 0x51},           {"r", 0x52},
    {"s", 0x53},           {"t", 0x54},           {"u", 0x55},           {"v", 0x56},
    {"w", 0x57},           {"x", 0x58},           {"y", 0x59},           {"z", 0x5A},
    {"Ctrl", 0x11},        {"Scroll Lock", 0x91}, {"F1", 0x70},          {"F2", 0x71},
    {"F3", 0x72},          {"F4", 0x73},          {"F5", 0x74},          {"F6", 0x75},
    {"F7", 0x76},          {"F8", 0x77},          {"F9", 0x78},          {"F10", 0x79},
    {"F11", 0x7A},         {"F12", 0x7B},         {"Backspace", 0x08},   {"Tab", 0x09},
    {"Enter", 0x0D},       {"Caps Lock", 0x14},   {"ESC", 0x1B},         {"Alt", 0x12},
    {"Shift", 0x10},       {"Shift Right", 0xA1}, {"Num Lock", 0x90},    {"Pad *", 0x2A},
    {"Pad -", 0x2D},       {"Pad +", 0x2B},       {"Pause", 0x13},       {"Print Screen", 0x2A},
    {"Ctrl Right", 0xA3},  {"Win left", 0x5B},    {"Win Right", 0x5C},   {"Alt Right", 0xA5},
    {"Menu", 0x12},        {"Up Arrow", 0x26},    {"Down arrow ", 0x28}, {"Right arrow ", 0x27},
    {"Left arrow ", 0x25}, {"Insert", 0x2D},      {"Delete", 0x2E},      {"Home", 0x24},
    {"End", 0x23},         {"Page Up", 0x21},     {"Page Down", 0x22},
}};

bool InRange(int index) {
    return index >= 0 && index < CVkQX44::GetCount();
}

} // namespace

std::string_view CVkQX44::GetName(int index) {
    return InRange(index) ? kRows[static_cast<std::size_t>(index)].name : std::string_view();
}

std::uint32_t CVkQX44::GetCode(int index) {
    return InRange(index) ? kRows[static_cast<std::size_t>(index)].code : 0;
}

int CVkQX44::FindCode(std::uint32_t code) {
    for (int index = 0; index < GetCount(); ++index) {
        if (kRows[static_cast<std::size_t>(index)].code == code) {
            return index;
        }
    }
    return kNotFound;
}

std::string_view CVkQX44::GetNameOfCode(std::uint32_t code) {
    return GetName(FindCode(code));
}

} // namespace qx44
