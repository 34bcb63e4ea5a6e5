#pragma once

#include "core/common/CancelToken.h"

#include <chrono>

namespace qx44 {

// The station's beeper. A beep is synchronous: the caller is held for the whole tone, because a
// host paces what it sends next by it.
class IBeeper {
public:
    virtual ~IBeeper() = default;
    // Sounds `frequencyHz` for `duration` and returns when the tone has ended, or early once
    // `cancel` is cancelled. A frequency the device cannot sound still takes the duration,
    // silently.
    virtual void Beep(int frequencyHz, std::chrono::milliseconds duration,
                      const CancelToken& cancel) = 0;
};

} // namespace qx44
