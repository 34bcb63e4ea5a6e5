#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qx44 {

// The last two keys pressed while a window wanted their releases kept from the host (the video
// player shown, the local browser open). Two is enough for the shortcuts in use; an older press
// is forgotten.
class CKeyDownRecord {
public:
    static constexpr std::size_t kCapacity = 2;

    // `extra` travels with the key for the owner's sake; nothing here reads it.
    void Add(std::uint32_t key, std::uint32_t extra);
    bool Contains(std::uint32_t key) const;
    // Forgets every entry of `key`, once its release has been dealt with.
    void Remove(std::uint32_t key);
    void Clear() { count_ = 0; }
    std::size_t Size() const { return count_; }

private:
    struct Entry {
        std::uint32_t key = 0;
        std::uint32_t extra = 0;
    };

    std::array<Entry, kCapacity> entries_{};
    std::size_t count_ = 0;
};

} // namespace qx44
