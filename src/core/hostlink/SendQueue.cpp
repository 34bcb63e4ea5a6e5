#include "core/hostlink/SendQueue.h"

#include <algorithm>
#include <vector>

namespace qx44 {

void SendQueue::Append(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void SendQueue::Drain(std::size_t maxBytes, const Sender& send) {
    std::lock_guard lock(mutex_);
    const std::size_t count = std::min(maxBytes, bytes_.size());
    if (count == 0) {
        return;
    }
    std::vector<std::uint8_t> chunk(bytes_.begin(), bytes_.begin() + static_cast<long>(count));
    const std::size_t sent = std::min(send(chunk), count);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<long>(sent));
}

void SendQueue::Clear() {
    std::lock_guard lock(mutex_);
    bytes_.clear();
}

std::size_t SendQueue::Size() const {
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

} // namespace qx44
