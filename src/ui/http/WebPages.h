#pragma once

#include "ui/http/HttpReply.h"

#include <QString>
#include <optional>

namespace qx44 {

// The station's web pages from the program's resources (":/web/"): the station page at /, the
// compact tile at /tile (the one page other sites may frame) and their script and style.
class WebPages {
public:
    // Nothing for a path that is not a page.
    static std::optional<HttpReply> Page(const QString& path);
};

} // namespace qx44
