#include "core/control/ControlServer.h"

#include "core/common/Log.h"
#include "core/common/SecretText.h"
#include "core/control/ControlArguments.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>

namespace qx44 {

namespace {

UniqueFd Listen(int family, std::uint16_t port) {
    UniqueFd fd(::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.Valid()) {
        return {};
    }
    const int on = 1;
    ::setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int bound = -1;
    if (family == AF_INET) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bound = ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    } else {
        ::setsockopt(fd.Get(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(port);
        address.sin6_addr = in6addr_loopback;
        bound = ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    // Room for a burst of scripts connecting at once: clients waiting in the kernel's queue take
    // none of the station's descriptors, and a full queue makes a client's connect wait a second.
    if (bound != 0 || ::listen(fd.Get(), 128) != 0) {
        return {};
    }
    return fd;
}

std::uint16_t BoundPort(const UniqueFd& fd) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.ss_family == AF_INET
                     ? reinterpret_cast<const sockaddr_in&>(address).sin_port
                     : reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
}

UniqueFd OpenReserve() {
    return UniqueFd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
}

// Said to a client the port does not take, then it is closed; no room to wait for it to read.
void Refuse(const UniqueFd& fd, std::string_view why) {
    const std::string line = ControlReply::Error(why).ToLine();
    ::send(fd.Get(), line.data(), line.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

} // namespace

ControlServer::ControlServer(IControlTarget& target, IUiThread& ui, std::string token)
    : target_(target), ui_(ui), token_(std::move(token)) {}

ControlServer::~ControlServer() {
    Stop();
}

bool ControlServer::Start(std::uint16_t port) {
    // Port 0 lets the system choose once; the second address family then takes the same port.
    for (const int family : {AF_INET, AF_INET6}) {
        if (UniqueFd fd = Listen(family, port); fd.Valid()) {
            port = BoundPort(fd);
            listeners_.push_back(std::move(fd));
        }
    }
    port_ = port;
    if (listeners_.empty()) {
        Log::Error(LogArea::Host, "cannot listen for control clients on port " +
                                      std::to_string(port) + ": " + std::strerror(errno));
        return false;
    }
    reserve_ = OpenReserve();
    if (rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        maxClients_ = std::clamp<std::size_t>(limit.rlim_cur / 4, 1, kMaxClients);
    }
    thread_ = std::thread([this] { Run(); });
    return true;
}

void ControlServer::Stop() {
    stopping_ = true;
    wake_.Signal();
    if (thread_.joinable()) {
        thread_.join();
    }
    listeners_.clear();
    clients_.clear();
}

void ControlServer::Run() {
    while (!stopping_) {
        PollOnce();
    }
    // The last replies (a `shutdown`'s own) still go out before the connections close.
    TakeFinished();
    for (Client& client : clients_) {
        Write(client);
    }
}

void ControlServer::PollOnce() {
    std::vector<pollfd> fds{{wake_.Fd(), POLLIN, 0}};
    const bool accepting = Clock::now() >= acceptResumes_;
    for (const UniqueFd& listener : listeners_) {
        fds.push_back({listener.Get(), static_cast<short>(accepting ? POLLIN : 0), 0});
    }
    for (const Client& client : clients_) {
        // A client whose unhandled lines pile up is not read until they are handled.
        const bool reading = !client.inputEnded && client.input.size() <= kMaxLine;
        fds.push_back(
            {client.fd.Get(),
             static_cast<short>((reading ? POLLIN : 0) | (client.output.empty() ? 0 : POLLOUT)),
             0});
    }
    auto wakeAt = accepting ? Clock::time_point::max() : acceptResumes_;
    if (HasWaits()) {
        // A plain loop: the fuzzing build's clang cannot compile libstdc++'s range views.
        for (const Client& client : clients_) {
            if (client.wait.has_value()) {
                wakeAt = std::min(wakeAt, client.wait->Deadline());
            }
        }
        // A probe on its way signals the wake-up when it arrives; until then only deadlines count.
        if (!probeRequested_) {
            wakeAt = std::min(wakeAt, lastProbe_ + kProbeInterval);
        }
    }
    int timeout = -1;
    if (wakeAt != Clock::time_point::max()) {
        timeout = static_cast<int>(std::clamp<long long>(
            std::chrono::ceil<std::chrono::milliseconds>(wakeAt - Clock::now()).count(), 0,
            std::numeric_limits<int>::max()));
    }
    if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR) {
        return;
    }
    if (fds[0].revents != 0) {
        wake_.Clear();
    }
    TakeFinished();
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
        if (fds[1 + i].revents & POLLIN) {
            Accept(listeners_[i].Get());
        }
    }
    std::size_t at = 1 + listeners_.size();
    for (Client& client : clients_) {
        // Clients accepted during this pass have no entry yet.
        if (at >= fds.size()) {
            break;
        }
        const short events = fds[at++].revents;
        if (events & POLLIN) {
            Read(client);
        }
        if (events & (POLLHUP | POLLERR)) {
            // Nothing can reach a client whose connection is gone both ways.
            client.closed = true;
            continue;
        }
        HandleLines(client);
        if (events & POLLOUT) {
            Write(client);
        }
    }
    if (HasWaits() && !probeRequested_ && Clock::now() >= lastProbe_ + kProbeInterval) {
        RequestProbe();
    }
    std::erase_if(clients_, [](const Client& client) { return client.closed; });
}

void ControlServer::Accept(int listener) {
    for (;;) {
        UniqueFd fd(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd.Valid()) {
            if (errno == EINTR || errno == ECONNABORTED) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                AcceptFailed(listener, errno);
            }
            return;
        }
        acceptFailing_ = false;
        if (clients_.size() >= maxClients_) {
            Refuse(fd, kTooManyClients);
            continue;
        }
        Client& client = clients_.emplace_back();
        client.id = nextId_++;
        client.fd = std::move(fd);
        client.authorised = token_.empty();
    }
}

void ControlServer::AcceptFailed(int listener, int error) {
    // The listener stays readable while its queue holds a client: the reserve descriptor makes
    // room to take that one off and tell it, and the listeners rest, so the thread never spins.
    if (!std::exchange(acceptFailing_, true)) {
        Log::Error(LogArea::Host,
                   std::string("control clients cannot be accepted: ") + std::strerror(error));
    }
    if ((error == EMFILE || error == ENFILE) && reserve_.Valid()) {
        reserve_.Reset();
        const UniqueFd fd(::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (fd.Valid()) {
            Refuse(fd, "the station is out of file descriptors");
        }
    }
    if (!reserve_.Valid()) {
        reserve_ = OpenReserve();
    }
    acceptResumes_ = Clock::now() + kAcceptBackOff;
}

void ControlServer::Read(Client& client) {
    char chunk[16 * 1024];
    for (;;) {
        const ssize_t n = ::recv(client.fd.Get(), chunk, sizeof chunk, 0);
        if (n > 0) {
            client.input.append(chunk, static_cast<std::size_t>(n));
            if (client.input.size() > kMaxLine && client.input.find('\n') == std::string::npos) {
                client.closed = true;
                return;
            }
            if (client.input.size() > kMaxLine) {
                return;
            }
            continue;
        }
        if (n == 0) {
            // The client may have only ended its sending side and still wait for its replies;
            // a last line without its line feed still counts.
            client.inputEnded = true;
            client.closeWhenSent = true;
            if (!client.input.empty() && client.input.back() != '\n') {
                client.input += '\n';
            }
        } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            client.closed = true;
        }
        return;
    }
}

void ControlServer::Write(Client& client) {
    while (!client.output.empty() && !client.closed) {
        const ssize_t n = ::send(client.fd.Get(), client.output.data(), client.output.size(),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                client.closed = true;
            }
            return;
        }
        client.output.erase(0, static_cast<std::size_t>(n));
    }
    if (client.output.empty() && client.closeWhenSent && !client.busy && !client.wait &&
        client.input.find('\n') == std::string::npos) {
        client.closed = true;
    }
}

void ControlServer::HandleLines(Client& client) {
    for (;;) {
        if (client.wait && client.inputEnded) {
            // A client that has gone looks like one that only ended its sending side, and a
            // parked wait would hold its descriptor for as long as the wait lasts.
            client.wait.reset();
            Reply(client, ControlReply::Error("wait ended: the client closed its connection"));
        }
        if (client.closed || client.busy || client.wait) {
            break;
        }
        const std::size_t end = client.input.find('\n');
        if (end == std::string::npos && client.input.size() <= kMaxLine) {
            break;
        }
        if (end == std::string::npos || end > kMaxLine) {
            client.closed = true;
            return;
        }
        std::string line = client.input.substr(0, end);
        client.input.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        HandleLine(client, line);
    }
    Write(client);
}

void ControlServer::HandleLine(Client& client, std::string_view line) {
    const auto [command, arguments] = ControlArguments::SplitCommand(line);
    if (!client.authorised) {
        if (command != "auth" || !SecretText::Matches(arguments, token_)) {
            Reply(client, ControlReply::Error("auth TOKEN must come first"));
            client.closeWhenSent = true;
            client.input.clear();
            return;
        }
        client.authorised = true;
        Reply(client, ControlReply::Ok());
        return;
    }
    if (command == "auth") {
        Reply(client, ControlReply::Ok());
        return;
    }
    if (command == "quit") {
        Reply(client, arguments.empty() ? ControlReply::Ok() : ControlReply::Error("usage: quit"));
        client.closeWhenSent = arguments.empty();
        client.input.clear();
        return;
    }
    if (command == "wait") {
        auto parsed = ControlWait::Parse(arguments, Clock::now());
        if (auto* error = std::get_if<ControlReply>(&parsed)) {
            Reply(client, *error);
        } else {
            client.wait = std::move(std::get<ControlWait>(parsed));
            RequestProbe();
        }
        return;
    }
    client.busy = true;
    ui_.Post([this, id = client.id, text = std::string(line)] {
        std::string reply = target_.Run(text).ToLine();
        {
            std::lock_guard lock(finishedMutex_);
            finished_.emplace_back(id, std::move(reply));
        }
        wake_.Signal();
    });
}

void ControlServer::Reply(Client& client, const ControlReply& reply) {
    client.output += reply.ToLine();
    if (client.output.size() > kMaxPendingOutput) {
        client.closed = true;
    }
}

void ControlServer::TakeFinished() {
    std::vector<std::pair<std::uint64_t, std::string>> finished;
    std::optional<StationProbe> probe;
    {
        std::lock_guard lock(finishedMutex_);
        finished.swap(finished_);
        probe.swap(probe_);
    }
    for (auto& [id, line] : finished) {
        const auto client = std::ranges::find(clients_, id, &Client::id);
        if (client != clients_.end()) {
            client->busy = false;
            client->output += line;
            if (client->output.size() > kMaxPendingOutput) {
                client->closed = true;
            }
        }
    }
    if (probe) {
        probeRequested_ = false;
    }
    CheckWaits(probe);
}

void ControlServer::CheckWaits(const std::optional<StationProbe>& probe) {
    const auto now = Clock::now();
    for (Client& client : clients_) {
        if (!client.wait) {
            continue;
        }
        auto reply = probe ? client.wait->Check(*probe, now) : client.wait->CheckDeadline(now);
        if (reply) {
            client.wait.reset();
            Reply(client, *reply);
        }
    }
}

void ControlServer::RequestProbe() {
    if (probeRequested_) {
        return;
    }
    probeRequested_ = true;
    lastProbe_ = Clock::now();
    ui_.Post([this] {
        StationProbe probe = target_.Probe();
        {
            std::lock_guard lock(finishedMutex_);
            probe_ = std::move(probe);
        }
        wake_.Signal();
    });
}

bool ControlServer::HasWaits() const {
    return std::ranges::any_of(clients_, [](const Client& c) { return c.wait.has_value(); });
}

} // namespace qx44
