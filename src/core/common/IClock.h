#pragma once

#include <chrono>

namespace qx44 {

// Monotonic time for the code that measures how long something has been shown, so tests can move
// it by hand.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::chrono::milliseconds Now() const = 0;
};

} // namespace qx44
