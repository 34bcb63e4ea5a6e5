#include "core/keyboard/CKeyDownRecord.h"

#include <algorithm>

namespace qx44 {

void CKeyDownRecord::Add(std::uint32_t key, std::uint32_t extra) {
    if (count_ == kCapacity) {
        std::shift_left(entries_.begin(), entries_.end(), 1);
        --count_;
    }
    entries_[count_++] = Entry{key, extra};
}

bool CKeyDownRecord::Contains(std::uint32_t key) const {
    return std::any_of(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(count_),
                       [key](const Entry& entry) { return entry.key == key; });
}

void CKeyDownRecord::Remove(std::uint32_t key) {
    const auto held = entries_.begin() + static_cast<std::ptrdiff_t>(count_);
    const auto kept = std::remove_if(entries_.begin(), held,
                                     [key](const Entry& entry) { return entry.key == key; });
    count_ = static_cast<std::size_t>(kept - entries_.begin());
}

} // namespace qx44
