#include "core/screen/CConsoleWin.h"

namespace qx44 {

CConsoleWin::CConsoleWin()
    : CDosScreen(kCapacityColumns, kCapacityRows, 80, 25, kInitialAttribute) {}

} // namespace qx44
