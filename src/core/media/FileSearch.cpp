#include "core/media/FileSearch.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>

namespace qx44 {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) {
        return false;
    }
    const auto tail = name.substr(name.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(),
                      [](char a, char b) { return Upper(a) == Upper(b); });
}

std::string UpperCased(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(), Upper);
    return upper;
}

bool UpperCasedLess(const std::string& a, const std::string& b) {
    const std::string upperA = UpperCased(a);
    const std::string upperB = UpperCased(b);
    return upperA != upperB ? upperA < upperB : a < b;
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

std::vector<std::string> FileSearch::Find(const std::string& folder, std::string_view extension) {
    // The folder and the name are joined by a separator, as the paths handed to the player are.
    std::string path = folder + '/';
    std::replace(path.begin(), path.end(), '\\', '/');
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(path.c_str()));
    if (!dir) {
        return names;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == ".." || !EndsWithIgnoringCase(name, extension) ||
            IsDirectory(::dirfd(dir.get()), *entry)) {
            continue;
        }
        names.emplace_back(name);
    }
    std::sort(names.begin(), names.end(), UpperCasedLess);
    return names;
}

} // namespace qx44
