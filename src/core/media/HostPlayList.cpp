#include "core/media/HostPlayList.h"

#include <cctype>
#include <string_view>

namespace qx44 {

namespace {

constexpr char kExitKeyMark = '\n';
constexpr std::size_t kNumberWidth = 3;

// A three-character number field read the way the station reads it: leading blanks and a sign
// allowed, reading stops at the first non-digit, no digits give 0.
int ReadNumber(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && std::isspace(static_cast<unsigned char>(field[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    int value = 0;
    for (; i < field.size() && std::isdigit(static_cast<unsigned char>(field[i])); ++i) {
        value = value * 10 + (field[i] - '0');
    }
    return negative ? -value : value;
}

} // namespace

HostPlayList HostPlayList::Parse(const std::vector<std::string>& lines) {
    HostPlayList result;
    bool firstExitLine = true;
    for (const std::string& line : lines) {
        if (line.empty() || line.front() != kExitKeyMark) {
            result.files.push_back(line);
            continue;
        }
        const std::string_view keys = std::string_view(line).substr(1);
        const std::size_t set = firstExitLine ? 0 : 2;
        firstExitLine = false;
        if (keys.size() < 2 * kNumberWidth) {
            continue;
        }
        result.keys[set] = ReadNumber(keys.substr(0, kNumberWidth));
        result.keys[set + 1] = ReadNumber(keys.substr(kNumberWidth, kNumberWidth));
    }
    return result;
}

} // namespace qx44
