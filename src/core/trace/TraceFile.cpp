#include "core/trace/TraceFile.h"

#include <charconv>
#include <sstream>

namespace qx44 {

namespace {

bool ParseByte(const std::string& token, std::uint8_t& byte) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value, 16);
    if (token.size() != 2 || ec != std::errc() || end != token.data() + token.size()) {
        return false;
    }
    byte = static_cast<std::uint8_t>(value);
    return true;
}

} // namespace

std::optional<std::vector<TraceLine>> TraceFile::Parse(std::istream& in, std::string& error) {
    std::vector<TraceLine> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        std::istringstream fields(text.substr(0, text.find('#')));
        std::string time;
        std::string direction;
        // A line of a time and a comment alone is an event, such as a connection.
        if (!(fields >> time) || !(fields >> direction)) {
            continue;
        }
        TraceLine line;
        line.number = number;
        const auto [end, ec] =
            std::from_chars(time.data(), time.data() + time.size(), line.milliseconds);
        if (ec != std::errc() || end != time.data() + time.size() ||
            (direction != "H" && direction != "S")) {
            error =
                "line " + std::to_string(number) + ": expected milliseconds, H or S, and hex bytes";
            return std::nullopt;
        }
        line.direction = direction[0];
        for (std::string token; fields >> token;) {
            std::uint8_t byte = 0;
            if (!ParseByte(token, byte)) {
                error = "line " + std::to_string(number) + ": \"" + token + "\" is not a hex byte";
                return std::nullopt;
            }
            line.bytes.push_back(byte);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

} // namespace qx44
