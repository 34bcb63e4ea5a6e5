#include "core/common/WakeFd.h"

#include <cstdint>
#include <stdexcept>
#include <sys/eventfd.h>

namespace qx44 {

WakeFd::WakeFd() : fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (!fd_.Valid()) {
        throw std::runtime_error("cannot create an eventfd");
    }
}

void WakeFd::Signal() const {
    const std::uint64_t one = 1;
    // A full counter already wakes every poller, so a failed write loses nothing.
    [[maybe_unused]] const auto written = ::write(fd_.Get(), &one, sizeof one);
}

void WakeFd::Clear() const {
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd_.Get(), &count, sizeof count);
}

} // namespace qx44
