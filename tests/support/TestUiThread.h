#pragma once

#include "core/common/IUiThread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace qx44::test {

// Stands in for the Qt event loop: work posted from other threads runs when the test pumps.
class TestUiThread : public IUiThread {
public:
    void Post(std::function<void()> work) override {
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(std::move(work));
        }
        posted_.notify_all();
    }

    // Runs posted work until `done` holds or the deadline passes; returns `done()`.
    template <typename Done>
    bool PumpUntil(Done done, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (queue_.empty() &&
                !posted_.wait_until(lock,
                                    std::min(deadline, std::chrono::steady_clock::now() +
                                                           std::chrono::milliseconds(5)),
                                    [&] { return !queue_.empty(); }) &&
                std::chrono::steady_clock::now() >= deadline) {
                return done();
            }
            auto pending = std::move(queue_);
            queue_.clear();
            lock.unlock();
            for (auto& work : pending) {
                work();
            }
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
};

} // namespace qx44::test
