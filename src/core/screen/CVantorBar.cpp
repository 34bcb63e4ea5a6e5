#include "core/screen/CVantorBar.h"

CVantorBar::CVantorBar() : CDosScreen(kColumns, 1, kColumns, 1, kInitialAttribute) {}
