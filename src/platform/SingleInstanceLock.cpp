#include "platform/SingleInstanceLock.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>

namespace qx44 {

std::string SingleInstanceLock::PathFor(const std::string& settingsFile) {
    if (settingsFile.empty()) {
        return kDefaultPath;
    }
    std::error_code ignored;
    const std::string absolute = std::filesystem::weakly_canonical(settingsFile, ignored).string();
    // FNV-1a: the same name for the same file in every copy of the program.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : absolute.empty() ? settingsFile : absolute) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    char name[64];
    std::snprintf(name, sizeof name, "/tmp/QX44SIM-%016llx.lock",
                  static_cast<unsigned long long>(hash));
    return name;
}

bool SingleInstanceLock::TryAcquire(const std::string& path) {
    fd_ = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (!fd_.Valid()) {
        return true;
    }
    // Every user's copy locks the same file, so it must stay writable for all of them.
    ::fchmod(fd_.Get(), 0666);
    int result = 0;
    do {
        result = ::flock(fd_.Get(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 || errno != EWOULDBLOCK;
}

} // namespace qx44
