#pragma once

#include "core/screen/CDosScreen.h"

namespace qx44 {

// The one-row status line under the text screen: its store is exactly its 80 × 1 grid, in
// white on grey.
class CVantorBar : public CDosScreen {
public:
    static constexpr int kColumns = 80;
    static constexpr int kInitialAttribute = 0xEA00;

    CVantorBar();
};

} // namespace qx44
