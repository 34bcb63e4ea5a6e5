#include "core/control/ControlArguments.h"

#include <charconv>
#include <cmath>

namespace qx44 {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view SkipBlanks(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    return text.substr(at);
}

} // namespace

ControlArguments::Split ControlArguments::SplitCommand(std::string_view line) {
    line = SkipBlanks(line);
    std::size_t end = 0;
    while (end < line.size() && !IsBlank(line[end])) {
        ++end;
    }
    return {line.substr(0, end), SkipBlanks(line.substr(end))};
}

std::optional<std::vector<std::string>> ControlArguments::Words(std::string_view arguments) {
    std::vector<std::string> words;
    for (std::string_view rest = SkipBlanks(arguments); !rest.empty(); rest = SkipBlanks(rest)) {
        if (rest.front() == '"') {
            const std::size_t close = rest.find('"', 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            words.emplace_back(rest.substr(1, close - 1));
            rest.remove_prefix(close + 1);
            continue;
        }
        std::size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) {
            ++end;
        }
        words.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    return words;
}

std::optional<int> ControlArguments::Number(std::string_view word, int max) {
    int value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value < 0 ||
        value > max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ControlArguments::Seconds(std::string_view word) {
    constexpr double kDay = 86400;
    double value = 0;
    const auto [end, error] =
        std::from_chars(word.data(), word.data() + word.size(), value, std::chars_format::fixed);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() ||
        !std::isfinite(value) || value < 0 || value > kDay) {
        return std::nullopt;
    }
    return value;
}

} // namespace qx44
