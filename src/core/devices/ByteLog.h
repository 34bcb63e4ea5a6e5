#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qx44 {

// The last `capacity` bytes of a stream and how many earlier ones fell out, so a device that is
// written without end keeps a bounded record.
class ByteLog {
public:
    explicit ByteLog(std::size_t capacity) : capacity_(capacity) {}

    void Append(std::span<const std::uint8_t> bytes);
    std::string Contents() const;
    std::uint64_t Dropped() const { return total_ - Kept(); }

private:
    std::size_t Kept() const { return total_ < capacity_ ? total_ : capacity_; }

    std::size_t capacity_;
    std::uint64_t total_ = 0;
    // Holds up to twice the capacity, so dropping old bytes moves memory only now and then.
    std::string data_;
};

} // namespace qx44
