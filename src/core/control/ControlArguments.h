#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// How a control line is cut: the command word, then the rest after the blanks that follow it;
// arguments are words separated by blanks, a word in double quotes may hold blanks.
class ControlArguments {
public:
    struct Split {
        std::string_view command;
        std::string_view rest;
    };

    static Split SplitCommand(std::string_view line);
    // Nothing when a quote is left open.
    static std::optional<std::vector<std::string>> Words(std::string_view arguments);
    // A whole non-negative decimal number within `max`, or nothing.
    static std::optional<int> Number(std::string_view word, int max);
    // Seconds as a whole or decimal number, at most a day, or nothing.
    static std::optional<double> Seconds(std::string_view word);
};

} // namespace qx44
