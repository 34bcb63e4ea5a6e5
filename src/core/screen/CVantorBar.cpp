#include "core/screen/CVantorBar.h"

namespace qx44 {

CVantorBar::CVantorBar() : CDosScreen(kColumns, 1, kColumns, 1, kInitialAttribute) {}

} // namespace qx44
