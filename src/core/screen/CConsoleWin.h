#pragma once

#include "core/screen/CDosScreen.h"

namespace qx44 {

// The station's text screen: a store large enough for the biggest grid mode (169 × 51) with a
// row to spare, showing 80 × 25 white on blue until the host picks another mode.
class CConsoleWin : public CDosScreen {
public:
    static constexpr int kCapacityColumns = 169;
    static constexpr int kCapacityRows = 52;
    static constexpr int kInitialAttribute = 0xD200;

    CConsoleWin();
};

} // namespace qx44
