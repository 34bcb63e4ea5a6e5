#include "core/trace/ReplayStation.h"

#include "core/hostlink/CSerialException.h"
#include "core/screen/ScreenDump.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <unistd.h>

namespace qx44 {

namespace {

class AbsentDevice : public ISerialDevice {
public:
    void Open(int, const SerialLineSettings&) override { throw CSerialException(ENOENT); }
    void Close() override {}
    bool IsOpen() const override { return false; }
    std::size_t Read(std::span<std::uint8_t>) override { return 0; }
    std::size_t Write(std::span<const std::uint8_t>) override { return 0; }
    SerialQueueStatus QueryStatus() override { return {}; }
    void SetTimeouts(const SerialTimeouts&) override {}
};

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

std::unique_ptr<ISerialDevice> ReplayStation::NoSerialDevices::CreateDevice() {
    return std::make_unique<AbsentDevice>();
}

ReplayStation::ReplayStation(std::chrono::milliseconds tick, IHostTrace& trace)
    : tick_(tick), transferPath_(MakeTransferPath()),
      cmd_(textScreen_, statusLine_, link_, serialDevices_, beeper_),
      link_(cmd_, *this, *this, transferPath_, trace) {}

ReplayStation::~ReplayStation() {
    stopping_ = true;
    if (loop_.joinable()) {
        loop_.join();
    }
    link_.CloseAllConnections();
    ::unlink(transferPath_.c_str());
}

bool ReplayStation::Start() {
    // Only the replaying host connects: no other machine may feed the replay.
    if (!link_.StartListening(0, in_addr{htonl(INADDR_LOOPBACK)})) {
        return false;
    }
    loop_ = std::thread([this] { Loop(); });
    return true;
}

bool ReplayStation::WaitForHostGone(std::chrono::steady_clock::time_point deadline) const {
    while (!(hostCame_ && !link_.HasHost())) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::string ReplayStation::Dump() const {
    return ScreenDump::Document(textScreen_.Snapshot(), statusLine_.Snapshot());
}

void ReplayStation::Post(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(work));
}

void ReplayStation::Loop() {
    auto nextTick = std::chrono::steady_clock::now();
    while (!stopping_) {
        pollfd pfd{link_.Listener().Fd(), POLLIN, 0};
        if (::poll(&pfd, 1, 1) > 0) {
            link_.AcceptHost();
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
            link_.OnTimer1Tick();
            nextTick += tick_;
        }
    }
}

} // namespace qx44
