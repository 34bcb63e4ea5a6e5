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
    constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW;
    fd_ = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666));
    if (fd_.Valid()) {
        // Every user's copy locks the same file, so it must stay writable for all of them.
        ::fchmod(fd_.Get(), 0666);
    } else {
        // Another user's file that this user may not write, or may not open with create in a
        // sticky folder (fs.protected_regular): a lock needs no more than reading.
        fd_ = UniqueFd(::open(path.c_str(), O_RDONLY | kFlags));
    }
    if (!fd_.Valid()) {
        return true;
    }
    int result = 0;
    do {
        result = ::flock(fd_.Get(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 || errno != EWOULDBLOCK;
}

} // namespace qx44
