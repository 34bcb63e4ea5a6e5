#pragma once

#include <gtest/gtest.h>
#include <regex>
#include <string>

namespace qx44::test {

// The whole number under `key` in a one-line JSON reply; a failure, and -1, when there is none.
inline int NumberIn(const std::string& reply, const std::string& key) {
    std::smatch match;
    if (!std::regex_search(reply, match, std::regex("\"" + key + "\":(-?[0-9]+)"))) {
        ADD_FAILURE() << key << " missing from " << reply;
        return -1;
    }
    return std::stoi(match[1]);
}

} // namespace qx44::test
