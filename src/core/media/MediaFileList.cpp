#include "core/media/MediaFileList.h"

#include "core/media/Windows1252.h"

#include <array>
#include <cctype>
#include <dirent.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>

namespace qx44 {

namespace {

// The station's search order; its file search ignores case.
constexpr std::array<std::string_view, 8> kExtensions = {".asf", ".avi", ".mpeg", ".wmv",
                                                         ".mpg", ".jpg", ".bmp",  ".jpeg"};

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) {
        return false;
    }
    const auto tail = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(tail[i])) != suffix[i]) {
            return false;
        }
    }
    return true;
}

bool IsDirectory(int folderFd, const dirent& entry) {
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) {
        return entry.d_type == DT_DIR;
    }
    struct stat info {};
    return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

} // namespace

std::string MediaFileList::List(const std::string& folder) {
    std::string list;
    for (const std::string_view extension : kExtensions) {
        const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
        if (!dir) {
            return list;
        }
        while (const dirent* entry = ::readdir(dir.get())) {
            const std::string_view name = entry->d_name;
            if (name == "." || name == ".." || !EndsWithIgnoringCase(name, extension) ||
                IsDirectory(::dirfd(dir.get()), *entry)) {
                continue;
            }
            list += Windows1252::FromUtf8(name);
            list += '\r';
        }
    }
    return list;
}

} // namespace qx44
