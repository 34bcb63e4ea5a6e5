#include "core/common/FileReplacer.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx44 {

namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno != EINTR) {
            return false;
        }
        data.remove_prefix(put < 0 ? 0 : std::size_t(put));
    }
    return true;
}

} // namespace

bool FileReplacer::Replace(const std::string& target, std::string_view content,
                           std::optional<mode_t> mode) {
    static std::atomic<unsigned> serial = 0;
    const std::string temp =
        target + ".tmp" + std::to_string(::getpid()) + "." + std::to_string(++serial);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    bool written = (!mode || ::fchmod(fd, *mode) == 0) && WriteAll(fd, content) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temp.c_str(), target.c_str()) == 0) {
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

} // namespace qx44
