#include "core/devices/ByteLog.h"

namespace qx44 {

void ByteLog::Append(std::span<const std::uint8_t> bytes) {
    total_ += bytes.size();
    if (bytes.size() >= capacity_) {
        bytes = bytes.last(capacity_);
        data_.clear();
    }
    data_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (data_.size() >= 2 * capacity_ && data_.size() > capacity_) {
        data_.erase(0, data_.size() - capacity_);
    }
}

std::string ByteLog::Contents() const {
    const std::size_t kept = data_.size() < capacity_ ? data_.size() : capacity_;
    return data_.substr(data_.size() - kept);
}

} // namespace qx44
