#include "core/common/CancelToken.h"

namespace qx44 {

void CancelToken::Cancel() {
    {
        std::lock_guard lock(mutex_);
        isCancelled_ = true;
    }
    cancelled_.notify_all();
}

bool CancelToken::IsCancelled() const {
    return isCancelled_.load();
}

bool CancelToken::WaitFor(std::chrono::steady_clock::duration duration) const {
    return WaitUntil(std::chrono::steady_clock::now() + duration);
}

bool CancelToken::WaitUntil(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    return cancelled_.wait_until(lock, deadline, [this] { return isCancelled_.load(); });
}

} // namespace qx44
