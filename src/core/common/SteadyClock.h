#pragma once

#include "core/common/IClock.h"

namespace qx44 {

class SteadyClock : public IClock {
public:
    std::chrono::milliseconds Now() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

} // namespace qx44
