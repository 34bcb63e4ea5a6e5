#pragma once

#include <cstddef>
#include <string_view>

namespace qx44 {

// Compares a token a client offers with the one set, looking at every byte whatever the first
// difference, so the time taken tells nothing of where a guess went wrong.
class SecretText {
public:
    SecretText() = delete;

    static bool Matches(std::string_view offered, std::string_view secret) {
        if (offered.size() != secret.size()) {
            return false;
        }
        unsigned char difference = 0;
        for (std::size_t i = 0; i < secret.size(); ++i) {
            difference |= static_cast<unsigned char>(offered[i] ^ secret[i]);
        }
        return difference == 0;
    }
};

} // namespace qx44
