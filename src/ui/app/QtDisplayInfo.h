#pragma once

#include "core/settings/IDisplayInfo.h"

namespace qx44 {

// The display mode of the primary screen, for the boot screen's page.
class QtDisplayInfo : public IDisplayInfo {
public:
    bool GetDisplayMode(int& width, int& height, int& bitsPerPixel, int& frequency) const override;
};

} // namespace qx44
