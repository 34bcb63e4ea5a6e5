#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>

namespace qx44 {

// Bytes waiting to go to the host. Appending (any thread) and draining (UI thread) take one lock,
// which keeps the bytes in order without skipping a send opportunity.
class SendQueue {
public:
    // Returns how many of the offered bytes really went out.
    using Sender = std::function<std::size_t(std::span<const std::uint8_t>)>;

    void Append(std::span<const std::uint8_t> bytes);
    // One send opportunity: offers up to `maxBytes` from the head; what was not sent stays at the
    // head for the next opportunity.
    void Drain(std::size_t maxBytes, const Sender& send);
    void Clear();
    std::size_t Size() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::uint8_t> bytes_;
};

} // namespace qx44
