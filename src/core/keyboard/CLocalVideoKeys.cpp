#include "core/keyboard/CLocalVideoKeys.h"

#include <algorithm>

namespace qx44 {

void CLocalVideoKeys::SetKeySet(int which, std::uint32_t key1, std::uint32_t key2) {
    if (which == 0) {
        set1_.Set(key1, key2);
    } else if (which == 1) {
        set2_.Set(key1, key2);
    }
}

int CLocalVideoKeys::OnKeyDown(std::uint32_t key, int repeat, std::uint32_t flags) {
    fired_ = false;
    if (!set1_.Contains(key) && !set2_.Contains(key)) {
        return kNotShortcut;
    }
    if (!IsPending(key)) {
        pending_.push_back(PendingKey{key, repeat, flags});
    }
    return kHeldBack;
}

int CLocalVideoKeys::OnKeyUp(std::uint32_t key, int /*repeat*/, std::uint32_t /*flags*/,
                             const IKeyboardState& keyboard) {
    if (fired_) {
        fired_ = false;
        pending_.clear();
        return kSwallowed;
    }
    if (pending_.empty()) {
        return kNotShortcut;
    }
    if ((set1_.Contains(key) && set1_.Matches(key, keyboard)) ||
        (set2_.Contains(key) && set2_.Matches(key, keyboard))) {
        pending_.clear();
        fired_ = true;
        return kFired;
    }
    return kNotShortcut;
}

std::optional<CLocalVideoKeys::PendingKey> CLocalVideoKeys::PopPending() {
    if (pending_.empty()) {
        return std::nullopt;
    }
    const PendingKey oldest = pending_.front();
    pending_.erase(pending_.begin());
    return oldest;
}

bool CLocalVideoKeys::IsPending(std::uint32_t key) const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [key](const PendingKey& entry) { return entry.key == key; });
}

} // namespace qx44
