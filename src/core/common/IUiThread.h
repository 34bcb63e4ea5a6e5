#pragma once

#include <functional>

namespace qx44 {

// Hands work from a background thread to the user-interface thread, which runs it later in its
// event loop; Post itself never waits for the work.
class IUiThread {
public:
    virtual ~IUiThread() = default;
    virtual void Post(std::function<void()> work) = 0;
};

} // namespace qx44
