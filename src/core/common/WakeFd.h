#pragma once

#include "core/common/UniqueFd.h"

namespace qx44 {

// An eventfd that one thread signals to end another thread's poll: it stays readable from the
// first Signal until Clear, so a sleeper that polls it among its other descriptors never misses a
// wake-up, however the two race.
class WakeFd {
public:
    WakeFd();

    int Fd() const { return fd_.Get(); }
    void Signal() const;
    void Clear() const;

private:
    UniqueFd fd_;
};

} // namespace qx44
