#include "core/screen/FontRequest.h"

#include "core/settings/CQX44Setting.h"

namespace qx44 {

FontRequest FontRequest::FromSettings(const CQX44Setting& settings, int cellWidth, int cellHeight) {
    int marginHeight = 0;
    int marginWidth = 0;
    settings.GetMargins(marginHeight, marginWidth);
    return {settings.GetFontName(), cellHeight - marginHeight, cellWidth - marginWidth,
            settings.GetWeight()};
}

} // namespace qx44
