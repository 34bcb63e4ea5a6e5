#pragma once

#include "core/common/IBeeper.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace qx44::test {

// Records every beep and returns at once, or, with holdUntilCancelled, holds the caller the way a
// long tone would until its token is cancelled (a minute at most, so a broken test still ends).
class RecordingBeeper : public IBeeper {
public:
    struct Call {
        int frequencyHz;
        std::chrono::milliseconds duration;
        bool operator==(const Call&) const = default;
    };

    void Beep(int frequencyHz, std::chrono::milliseconds duration,
              const CancelToken& cancel) override {
        {
            std::lock_guard lock(mutex_);
            calls_.push_back({frequencyHz, duration});
        }
        called_.notify_all();
        if (holdUntilCancelled) {
            cancel.WaitFor(std::chrono::minutes(1));
        }
    }

    std::vector<Call> Calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    // Waits until `count` beeps have started; false when the deadline passed first.
    bool WaitForCalls(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) const {
        std::unique_lock lock(mutex_);
        return called_.wait_for(lock, timeout, [&] { return calls_.size() >= count; });
    }

    std::atomic<bool> holdUntilCancelled{false};

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable called_;
    std::vector<Call> calls_;
};

} // namespace qx44::test
