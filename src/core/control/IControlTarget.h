#pragma once

#include "core/control/ControlReply.h"
#include "core/control/ControlWait.h"

#include <string_view>

namespace qx44 {

// What the control server serves: commands run one line at a time and a probe for parked waits,
// both called on the UI thread.
class IControlTarget {
public:
    virtual ~IControlTarget() = default;

    virtual ControlReply Run(std::string_view line) = 0;
    virtual StationProbe Probe() const = 0;
};

} // namespace qx44
