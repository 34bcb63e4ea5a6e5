#include "core/keyboard/KeyNames.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace qx44 {

namespace {

constexpr std::array kKeys = {
    NamedKey{"esc", 1},
    NamedKey{"f1", 59},
    NamedKey{"f2", 60},
    NamedKey{"f3", 61},
    NamedKey{"f4", 62},
    NamedKey{"f5", 63},
    NamedKey{"f6", 64},
    NamedKey{"f7", 65},
    NamedKey{"f8", 66},
    NamedKey{"f9", 67},
    NamedKey{"f10", 68},
    NamedKey{"f11", 87},
    NamedKey{"f12", 88},
    NamedKey{"printscreen", 99},
    NamedKey{"scrolllock", 70},
    NamedKey{"pause", 119},
    NamedKey{"grave", 41},
    NamedKey{"1", 2},
    NamedKey{"2", 3},
    NamedKey{"3", 4},
    NamedKey{"4", 5},
    NamedKey{"5", 6},
    NamedKey{"6", 7},
    NamedKey{"7", 8},
    NamedKey{"8", 9},
    NamedKey{"9", 10},
    NamedKey{"0", 11},
    NamedKey{"minus", 12},
    NamedKey{"equal", 13},
    NamedKey{"backspace", 14},
    NamedKey{"insert", 110},
    NamedKey{"home", 102},
    NamedKey{"pageup", 104},
    NamedKey{"numlock", 69},
    NamedKey{"kpdivide", 98},
    NamedKey{"kpmultiply", 55},
    NamedKey{"kpminus", 74},
    NamedKey{"tab", 15},
    NamedKey{"q", 16},
    NamedKey{"w", 17},
    NamedKey{"e", 18},
    NamedKey{"r", 19},
    NamedKey{"t", 20},
    NamedKey{"y", 21},
    NamedKey{"u", 22},
    NamedKey{"i", 23},
    NamedKey{"o", 24},
    NamedKey{"p", 25},
    NamedKey{"lbracket", 26},
    NamedKey{"rbracket", 27},
    NamedKey{"delete", 111},
    NamedKey{"end", 107},
    NamedKey{"pagedown", 109},
    NamedKey{"kp7", 71, '7'},
    NamedKey{"kp8", 72, '8'},
    NamedKey{"kp9", 73, '9'},
    NamedKey{"kpplus", 78},
    NamedKey{"capslock", 58},
    NamedKey{"a", 30},
    NamedKey{"s", 31},
    NamedKey{"d", 32},
    NamedKey{"f", 33},
    NamedKey{"g", 34},
    NamedKey{"h", 35},
    NamedKey{"j", 36},
    NamedKey{"k", 37},
    NamedKey{"l", 38},
    NamedKey{"semicolon", 39},
    NamedKey{"apostrophe", 40},
    NamedKey{"backslash", 43},
    NamedKey{"enter", 28},
    NamedKey{"kp4", 75, '4'},
    NamedKey{"kp5", 76, '5'},
    NamedKey{"kp6", 77, '6'},
    NamedKey{"lshift", 42},
    NamedKey{"102nd", 86},
    NamedKey{"z", 44},
    NamedKey{"x", 45},
    NamedKey{"c", 46},
    NamedKey{"v", 47},
    NamedKey{"b", 48},
    NamedKey{"n", 49},
    NamedKey{"m", 50},
    NamedKey{"comma", 51},
    NamedKey{"period", 52},
    NamedKey{"slash", 53},
    NamedKey{"rshift", 54},
    NamedKey{"up", 103},
    NamedKey{"kp1", 79, '1'},
    NamedKey{"kp2", 80, '2'},
    NamedKey{"kp3", 81, '3'},
    NamedKey{"kpenter", 96},
    NamedKey{"lctrl", 29},
    NamedKey{"lwin", 125},
    NamedKey{"lalt", 56},
    NamedKey{"space", 57},
    NamedKey{"ralt", 100},
    NamedKey{"rwin", 126},
    NamedKey{"menu", 127},
    NamedKey{"rctrl", 97},
    NamedKey{"left", 105},
    NamedKey{"down", 108},
    NamedKey{"right", 106},
    NamedKey{"kp0", 82, '0'},
    NamedKey{"kpdecimal", 83, '.'},
};

// The US layout's printable characters by key: what the key types alone, then with Shift.
struct LayoutRow {
    std::string_view key;
    char plain;
    char shifted;
};

constexpr std::array kLayout = {
    LayoutRow{"grave", '`', '~'},     LayoutRow{"1", '1', '!'},
    LayoutRow{"2", '2', '@'},         LayoutRow{"3", '3', '#'},
    LayoutRow{"4", '4', '$'},         LayoutRow{"5", '5', '%'},
    LayoutRow{"6", '6', '^'},         LayoutRow{"7", '7', '&'},
    LayoutRow{"8", '8', '*'},         LayoutRow{"9", '9', '('},
    LayoutRow{"0", '0', ')'},         LayoutRow{"minus", '-', '_'},
    LayoutRow{"equal", '=', '+'},     LayoutRow{"lbracket", '[', '{'},
    LayoutRow{"rbracket", ']', '}'},  LayoutRow{"backslash", '\\', '|'},
    LayoutRow{"semicolon", ';', ':'}, LayoutRow{"apostrophe", '\'', '"'},
    LayoutRow{"comma", ',', '<'},     LayoutRow{"period", '.', '>'},
    LayoutRow{"slash", '/', '?'},     LayoutRow{"space", ' ', ' '},
    LayoutRow{"enter", '\n', '\n'},   LayoutRow{"tab", '\t', '\t'},
};

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const NamedKey> KeyNames::All() {
    return kKeys;
}

const NamedKey* KeyNames::Find(std::string_view name) {
    const auto found =
        std::ranges::find_if(kKeys, [&](const NamedKey& key) { return SameName(key.name, name); });
    return found == kKeys.end() ? nullptr : &*found;
}

std::optional<TypedCharacter> KeyNames::ForCharacter(char character) {
    const auto c = static_cast<unsigned char>(character);
    if (std::isalpha(c)) {
        return TypedCharacter{Find(std::string_view(&character, 1)), std::isupper(c) != 0};
    }
    for (const LayoutRow& row : kLayout) {
        if (row.plain == character || row.shifted == character) {
            return TypedCharacter{Find(row.key), row.plain != character};
        }
    }
    return std::nullopt;
}

} // namespace qx44
