#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>

namespace qx44 {

// The names of an enumeration's values, as the settings file and the control port write them.
template <typename Value, std::size_t N> class NameTable {
public:
    constexpr explicit NameTable(std::array<std::pair<Value, std::string_view>, N> rows)
        : rows_(rows) {}

    constexpr std::optional<Value> Find(std::string_view name) const {
        for (const auto& [value, known] : rows_) {
            if (known == name) {
                return value;
            }
        }
        return std::nullopt;
    }
    // The first row's name for a value the table lacks.
    constexpr std::string_view NameOf(Value value) const {
        for (const auto& [known, name] : rows_) {
            if (known == value) {
                return name;
            }
        }
        return rows_[0].second;
    }

private:
    std::array<std::pair<Value, std::string_view>, N> rows_;
};

} // namespace qx44
