#pragma once

#include "core/protocol/FramingBytes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qx44 {

// A short station-to-host message: STX, station address, code, zero to two values, ETX.
class StationMessage {
public:
    static constexpr std::size_t kMaxLength = 6;

    StationMessage(std::uint8_t address, std::uint8_t code)
        : bytes_{kStx, address, code, kEtx}, length_(4) {}
    StationMessage(std::uint8_t address, std::uint8_t code, std::uint8_t value)
        : bytes_{kStx, address, code, value, kEtx}, length_(5) {}
    StationMessage(std::uint8_t address, std::uint8_t code, std::uint8_t value, std::uint8_t value2)
        : bytes_{kStx, address, code, value, value2, kEtx}, length_(6) {}

    std::span<const std::uint8_t> Bytes() const { return std::span(bytes_).first(length_); }

private:
    std::array<std::uint8_t, kMaxLength> bytes_;
    std::size_t length_;
};

} // namespace qx44
