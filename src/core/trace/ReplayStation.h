#pragma once

#include "core/common/IBeeper.h"
#include "core/common/IUiThread.h"
#include "core/station/Station.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace qx44 {

// A fresh station for a replay, without a display: a Station as the terminal has it, served by
// a loop thread that stands in for the UI thread
// (accepting, closing, the send opportunities). It has no serial ports, printer or media player,
// its beeper is silent, and it starts with a blank screen, so what it shows depends on the host
// alone. The settings file gives it its station address.
class ReplayStation : private IUiThread, private IStationListener {
public:
    // `tick` is the interval of the send opportunities (the terminal's is 200 ms).
    explicit ReplayStation(std::chrono::milliseconds tick, IHostTrace& trace = IHostTrace::None());
    ReplayStation(const ReplayStation&) = delete;
    ReplayStation& operator=(const ReplayStation&) = delete;
    ~ReplayStation() override;

    // Listens on a port of the system's choosing; false when it cannot.
    bool Start();
    std::uint16_t Port() const { return station_.Link().Listener().Port(); }
    // Waits until a host has come and gone; false at the deadline.
    bool WaitForHostGone(std::chrono::steady_clock::time_point deadline) const;
    // Both screens as a ScreenDump document.
    std::string Dump() const;

private:
    class SilentBeeper : public IBeeper {
    public:
        void Beep(int, std::chrono::milliseconds, const CancelToken&) override {}
    };

    void Post(std::function<void()> work) override;
    void HostConnected(std::string_view) override { hostCame_ = true; }
    void Loop();

    std::chrono::milliseconds tick_;
    std::string transferPath_;
    SilentBeeper beeper_;
    Station station_;

    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
    std::atomic<bool> hostCame_{false};
    std::atomic<bool> stopping_{false};
    std::thread loop_;
};

} // namespace qx44
