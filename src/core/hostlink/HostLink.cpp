#include "core/hostlink/HostLink.h"

namespace qx44 {

HostLink::HostLink(IHostMessageSink& sink, IUiThread& ui, IHostLinkEvents& events,
                   std::string transferPath)
    : sink_(sink), ui_(ui), events_(events), transferPath_(std::move(transferPath)) {}

HostLink::~HostLink() {
    std::shared_ptr<CServerSocket> connection;
    {
        std::lock_guard lock(connectionMutex_);
        connection = std::move(connection_);
    }
    if (connection) {
        connection->CloseConnection();
    }
    listener_.Close();
}

bool HostLink::StartListening(std::uint16_t port) {
    return listener_.Listen(port);
}

void HostLink::AcceptHost() {
    if (HasHost()) {
        CloseAllConnections();
    }
    UniqueFd socket = listener_.Accept();
    if (!socket.Valid()) {
        return;
    }
    // Hosts that connected meanwhile are taken now, each replacing the one before at once, so
    // a host reconnecting back to back never waits behind the ones it left.
    for (UniqueFd next = listener_.Accept(); next.Valid(); next = listener_.Accept()) {
        socket = std::move(next);
    }

    std::uint64_t id = 0;
    {
        std::lock_guard lock(connectionMutex_);
        id = ++connectionId_;
    }
    std::weak_ptr<int> alive = alive_;
    auto connection =
        std::make_shared<CServerSocket>(std::move(socket), sink_, transferPath_, [this, id, alive] {
            ui_.Post([this, id, alive] {
                if (alive.lock()) {
                    PeerClosed(id);
                }
            });
        });
    // Current before it receives: a host that asks at once must find its reply's way back.
    {
        std::lock_guard lock(connectionMutex_);
        connection_ = connection;
    }
    // The information screen is redrawn before the host's first message can be handled, so it
    // never covers what the host draws.
    events_.HostConnected(connection->GetPeerAddress());
    events_.SetNetworkState(IHostLinkEvents::kNetworkHostConnected);
    connection->StartReceiving();
    connection->FlushSendQueue();
}

void HostLink::CloseAllConnections() {
    std::shared_ptr<CServerSocket> connection;
    {
        std::lock_guard lock(connectionMutex_);
        connection = std::move(connection_);
    }
    if (!connection) {
        return;
    }
    // Outside the lock: the receive thread may be waiting for it in SendToHost.
    connection->CloseConnection();
    events_.SetNetworkState(IHostLinkEvents::kNetworkDisconnected);
}

void HostLink::OnTimer1Tick() {
    if (auto connection = Current()) {
        connection->FlushSendQueue();
    }
}

void HostLink::SendToHost(std::span<const std::uint8_t> bytes) {
    if (auto connection = Current()) {
        connection->QueueBytes(bytes);
    }
}

bool HostLink::HasHost() const {
    return Current() != nullptr;
}

std::string HostLink::PeerAddress() const {
    auto connection = Current();
    return connection ? connection->GetPeerAddress() : std::string();
}

std::shared_ptr<CServerSocket> HostLink::Current() const {
    std::lock_guard lock(connectionMutex_);
    return connection_;
}

void HostLink::PeerClosed(std::uint64_t connectionId) {
    {
        std::lock_guard lock(connectionMutex_);
        // A close reported by a host that was already replaced must not end the new one.
        if (connectionId != connectionId_ || !connection_) {
            return;
        }
    }
    CloseAllConnections();
}

} // namespace qx44
