#pragma once

#include "core/common/IUiThread.h"
#include "core/common/UniqueFd.h"
#include "core/common/WakeFd.h"
#include "core/control/ControlWait.h"
#include "core/control/IControlTarget.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qx44 {

// The control port: listens on 127.0.0.1 and ::1 only, reads one command per line from a bounded
// number of clients and writes one JSON reply per line. Its own thread does the sockets and
// sleeps in poll while nothing happens; commands run on the UI thread, one at a time per client,
// and their replies come back through a wake-up. A `wait` is parked and re-checked against fresh
// probes of the station while it lasts, so neither the UI thread nor the host link ever waits;
// it ends when its client stops sending. The port never takes more than a share of the process's
// descriptors, so the host link always has its own.
class ControlServer {
public:
    static constexpr std::size_t kMaxLine = 64 * 1024;
    // A client that reads no replies is dropped once this much waits for it.
    static constexpr std::size_t kMaxPendingOutput = 8 * 1024 * 1024;
    static constexpr std::chrono::milliseconds kProbeInterval{50};
    // Clients at once, and at most a quarter of the descriptor limit; one more is told and closed.
    static constexpr std::size_t kMaxClients = 64;
    static constexpr std::string_view kTooManyClients = "too many control clients";
    // How long the listeners rest after accepting failed for want of descriptors or memory.
    static constexpr std::chrono::milliseconds kAcceptBackOff{200};

    // With a `token`, the first line of every connection must be "auth TOKEN".
    ControlServer(IControlTarget& target, IUiThread& ui, std::string token);
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;
    ~ControlServer();

    // False when neither loopback address could be listened on; port 0 takes a free one.
    bool Start(std::uint16_t port);
    // The port listened on, once started.
    std::uint16_t Port() const { return port_; }
    // Sends what replies are ready, closes every client and ends the thread.
    void Stop();

private:
    using Clock = std::chrono::steady_clock;

    struct Client {
        std::uint64_t id = 0;
        UniqueFd fd;
        std::string input;
        std::string output;
        bool busy = false;
        bool authorised = false;
        bool inputEnded = false;
        bool closeWhenSent = false;
        bool closed = false;
        std::optional<ControlWait> wait;
    };

    void Run();
    void PollOnce();
    void Accept(int listener);
    void AcceptFailed(int listener, int error);
    void Read(Client& client);
    void Write(Client& client);
    void HandleLines(Client& client);
    void HandleLine(Client& client, std::string_view line);
    void Reply(Client& client, const ControlReply& reply);
    void TakeFinished();
    void CheckWaits(const std::optional<StationProbe>& probe);
    void RequestProbe();
    bool HasWaits() const;

    IControlTarget& target_;
    IUiThread& ui_;
    std::string token_;
    std::vector<UniqueFd> listeners_;
    std::uint16_t port_ = 0;
    // Closed to make room for taking a client off the queue when the descriptors have run out.
    UniqueFd reserve_;
    std::size_t maxClients_ = kMaxClients;
    Clock::time_point acceptResumes_;
    bool acceptFailing_ = false;
    std::list<Client> clients_;
    std::uint64_t nextId_ = 1;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    WakeFd wake_;

    // Handed over from the UI thread.
    std::mutex finishedMutex_;
    std::vector<std::pair<std::uint64_t, std::string>> finished_;
    std::optional<StationProbe> probe_;
    bool probeRequested_ = false;
    Clock::time_point lastProbe_;
};

} // namespace qx44
