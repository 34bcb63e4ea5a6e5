#pragma once

#include "core/hostlink/CSerialException.h"

#include <functional>

namespace qx44::test {

// The error code a serial call raised, or 0 when it succeeded.
inline int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const CSerialException& error) {
        return error.GetErrorCode();
    }
    return 0;
}

} // namespace qx44::test
