#include "core/media/MediaFileList.h"

#include "core/media/FileSearch.h"
#include "core/text/Windows1252.h"

#include <array>
#include <string_view>

namespace qx44 {

namespace {

// The station's search order for the host's list.
constexpr std::array<std::string_view, 8> kExtensions = {".asf", ".avi", ".mpeg", ".wmv",
                                                         ".mpg", ".jpg", ".bmp",  ".jpeg"};

} // namespace

std::string MediaFileList::List(const std::string& folder) {
    std::string list;
    for (const std::string_view extension : kExtensions) {
        for (const std::string& name : FileSearch::Find(folder, extension)) {
            list += Windows1252::FromUtf8(name);
            list += '\r';
        }
    }
    return list;
}

} // namespace qx44
