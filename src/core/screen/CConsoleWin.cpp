#include "core/screen/CConsoleWin.h"

CConsoleWin::CConsoleWin()
    : CDosScreen(kCapacityColumns, kCapacityRows, 80, 25, kInitialAttribute) {}
