#include "core/media/CGoupFiles.h"

#include <algorithm>

namespace qx44 {

void CGoupFiles::AddFile(std::string_view fileName) {
    // std::string compares its characters as unsigned, which is UTF-8's code-point order.
    const auto at =
        std::upper_bound(files_.begin(), files_.end(), fileName,
                         [](std::string_view a, const std::string& b) { return a < b; });
    files_.emplace(at, fileName);
}

} // namespace qx44
