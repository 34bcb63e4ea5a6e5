#include "core/trace/ReplayStation.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

namespace qx44 {

namespace {

// A picture file of its own, so a replay never touches the working folder's tmp.bmp.
std::string MakeTransferPath() {
    std::string path = "/tmp/qx44-replay-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd >= 0) {
        ::close(fd);
    }
    return path;
}

} // namespace

ReplayStation::ReplayStation(std::chrono::milliseconds tick, IHostTrace& trace)
    : tick_(tick), transferPath_(MakeTransferPath()),
      station_(StationConfig{.ui = *this,
                             .beeper = beeper_,
                             .listener = *this,
                             .transferPath = transferPath_,
                             .trace = trace}) {}

ReplayStation::~ReplayStation() {
    stopping_ = true;
    if (loop_.joinable()) {
        loop_.join();
    }
    station_.Stop();
    ::unlink(transferPath_.c_str());
}

bool ReplayStation::Start() {
    // Only the replaying host connects: no other machine may feed the replay.
    if (!station_.Listen(0, in_addr{htonl(INADDR_LOOPBACK)})) {
        return false;
    }
    loop_ = std::thread([this] { Loop(); });
    return true;
}

bool ReplayStation::WaitForHostGone(std::chrono::steady_clock::time_point deadline) const {
    while (!(hostCame_ && !station_.Link().HasHost())) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string ReplayStation::Dump() const {
    return station_.Dump();
}

void ReplayStation::Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(work));
}

void ReplayStation::Loop() {
    auto nextTick = std::chrono::steady_clock::now();
    while (!stopping_) {
        pollfd pfd{station_.Link().Listener().Fd(), POLLIN, 0};
        if (::poll(&pfd, 1, 1) > 0) {
            station_.AcceptHost();
        }
        std::deque<std::function<void()>> work;
        {
            std::lock_guard lock(mutex_);
            work.swap(posted_);
        }
        for (auto& item : work) {
            item();
        }
        if (std::chrono::steady_clock::now() >= nextTick) {
            station_.OnTimer1();
            nextTick += tick_;
        }
    }
}

} // namespace qx44
