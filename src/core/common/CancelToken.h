#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace qx44 {

// Lets one thread end another thread's wait early. The host connection cancels its token when it
// closes, so a beep or a printer wait on the receive thread returns at once and the thread can be
// joined. Once cancelled a token stays cancelled; a new connection gets a new token.
class CancelToken {
public:
    CancelToken() = default;
    CancelToken(const CancelToken&) = delete;
    CancelToken& operator=(const CancelToken&) = delete;

    // Wakes every waiter; safe to call more than once and from any thread.
    void Cancel();
    bool IsCancelled() const;

    // Return true as soon as the token is cancelled, false when the time is up first.
    bool WaitFor(std::chrono::steady_clock::duration duration) const;
    bool WaitUntil(std::chrono::steady_clock::time_point deadline) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable cancelled_;
    // Atomic so the receive thread can test it between every two messages without the lock.
    std::atomic<bool> isCancelled_{false};
};

} // namespace qx44
