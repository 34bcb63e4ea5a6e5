#pragma once

#include "core/hostlink/IHostSender.h"
#include "support/Bytes.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <span>

namespace qx44::test {

// A host that keeps everything the station sends it, in order; safe to read while the station's
// threads send.
class RecordingHost : public IHostSender {
public:
    void SendToHost(std::span<const std::uint8_t> bytes) override {
        {
            std::lock_guard lock(mutex_);
            sent_.insert(sent_.end(), bytes.begin(), bytes.end());
        }
        sentChanged_.notify_all();
    }

    Bytes Sent() const {
        std::lock_guard lock(mutex_);
        return sent_;
    }

    // Waits until at least `count` bytes have been sent; false when the deadline passed first.
    bool WaitForBytes(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
        std::unique_lock lock(mutex_);
        return sentChanged_.wait_for(lock, timeout, [&] { return sent_.size() >= count; });
    }

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable sentChanged_;
    Bytes sent_;
};

} // namespace qx44::test
