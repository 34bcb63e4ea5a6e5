#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// The files of one folder whose names end in an extension, as the station's wildcard search finds
// them: the extension in any case, directories left out, a folder that cannot be read giving
// nothing. Names come sorted as the station's file system returned them (upper-cased, then by
// byte), since the order readdir gives means nothing.
class FileSearch {
public:
    // `folder` may use '\' or '/' and is joined to the names by one more separator, so "" is the
    // root; `extension` has its dot (".jpg").
    static std::vector<std::string> Find(const std::string& folder, std::string_view extension);
};

} // namespace qx44
