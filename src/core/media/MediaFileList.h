#pragma once

#include <string>

namespace qx44 {

// The media files of a folder as the host asks for them: searched pattern by pattern in the
// station's order, each name followed by CR, in the 8-bit code page. A file that matches two
// patterns is listed twice; a folder that cannot be read lists nothing.
class MediaFileList {
public:
    static std::string List(const std::string& folder);
};

} // namespace qx44
