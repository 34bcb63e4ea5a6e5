#pragma once

#include "core/keyboard/CKeySet.h"
#include "core/keyboard/IKeyboardState.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qx44 {

// The two shortcuts that open the local browser. A press of one of their keys is held back, since
// it may start a shortcut; the caller sends the held presses on to the host as soon as a key shows
// that no shortcut is being typed, so typing is delayed but never lost.
class CLocalVideoKeys {
public:
    static constexpr int kHeldBack = 0;
    static constexpr int kSwallowed = 0;
    static constexpr int kFired = 1;
    static constexpr int kNotShortcut = -1;

    struct PendingKey {
        std::uint32_t key = 0;
        int repeat = 0;
        std::uint32_t flags = 0;

        bool operator==(const PendingKey&) const = default;
    };

    // which 0 is the first shortcut, 1 the second; any other value changes nothing.
    void SetKeySet(int which, std::uint32_t key1, std::uint32_t key2);
    const CKeySet& KeySet1() const { return set1_; }
    const CKeySet& KeySet2() const { return set2_; }

    // kHeldBack or kNotShortcut. Auto-repeat of a held-back key keeps one entry.
    int OnKeyDown(std::uint32_t key, int repeat, std::uint32_t flags);
    // kSwallowed (the rest of a shortcut that has just fired), kFired or kNotShortcut.
    int OnKeyUp(std::uint32_t key, int repeat, std::uint32_t flags, const IKeyboardState& keyboard);

    bool HasPending() const { return !pending_.empty(); }
    // The oldest held-back press, or nothing.
    std::optional<PendingKey> PopPending();
    void ClearPending() { pending_.clear(); }
    bool IsFired() const { return fired_; }
    void ClearFired() { fired_ = false; }

private:
    bool IsPending(std::uint32_t key) const;

    CKeySet set1_;
    CKeySet set2_;
    std::vector<PendingKey> pending_;
    bool fired_ = false;
};

} // namespace qx44
