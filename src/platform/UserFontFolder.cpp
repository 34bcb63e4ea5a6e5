#include "platform/UserFontFolder.h"

#include "core/common/FileReplacer.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace qx44 {

namespace {

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_dir != nullptr) {
        return user->pw_dir;
    }
    return {};
}

} // namespace

std::string UserFontFolder::Path() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return std::string(data) + "/fonts";
    }
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.local/share/fonts";
}

void UserFontFolder::Install(const std::string& folder, std::span<const FontFile> files) {
    if (folder.empty()) {
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    for (const FontFile& file : files) {
        const std::string path = folder + "/" + std::string(file.name);
        // Any entry of that name counts, even one we cannot read: it is the user's, not ours.
        if (std::filesystem::exists(std::filesystem::symlink_status(path, ignored))) {
            continue;
        }
        // A whole file or none, so an interrupted write is not taken for an installed font.
        FileReplacer::Replace(path, file.bytes);
    }
}

} // namespace qx44
