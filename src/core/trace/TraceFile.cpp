#include "core/trace/TraceFile.h"

#include <charconv>
#include <sstream>
#include <string_view>

namespace qx44 {

namespace {

// How TraceWriter marks a host's connection.
constexpr const char* kConnected = "# connected";

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
    int session = 0;
    for (int number = 1; std::getline(in, text); ++number) {
        const auto comment = text.find('#');
        std::istringstream fields(text.substr(0, comment));
        std::string time;
        std::string direction;
        // A line of a time and a comment alone is an event, such as a connection.
        if (!(fields >> time) || !(fields >> direction)) {
            if (comment != std::string::npos &&
                text.compare(comment, std::string_view(kConnected).size(), kConnected) == 0) {
                ++session;
            }
            continue;
        }
        TraceLine line;
        line.number = number;
        line.session = session;
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
