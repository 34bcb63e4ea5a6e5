#pragma once

#include "core/common/IUiThread.h"
#include "core/hostlink/CServerSocket.h"
#include "core/hostlink/CTCPIPListen.h"
#include "core/hostlink/IHostLinkEvents.h"
#include "core/hostlink/IHostMessageSink.h"
#include "core/hostlink/IHostSender.h"
#include "core/hostlink/IHostTrace.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace qx44 {

// The station's side of the TCP link: the listener, the one host connection at a time and the
// paced sending. Accept, close and the timer tick are called on the UI thread by its event loop;
// SendToHost may be called from any thread.
class HostLink : public IHostSender {
public:
    HostLink(IHostMessageSink& sink, IUiThread& ui, IHostLinkEvents& events,
             std::string transferPath = "./tmp.bmp", IHostTrace& trace = IHostTrace::None());
    HostLink(const HostLink&) = delete;
    HostLink& operator=(const HostLink&) = delete;
    ~HostLink() override;

    // On every local address unless one is given; false, logged, when the port cannot be had.
    bool StartListening(std::uint16_t port, in_addr address = {});
    const CTCPIPListen& Listener() const { return listener_; }
    // The port hosts connect to, once listening.
    std::optional<std::uint16_t> ListeningPort() const {
        return listener_.IsListening() ? std::optional(listener_.Port()) : std::nullopt;
    }

    // The listener reports a pending host. Every host pending is accepted; the last one stays.
    void AcceptHost();
    void CloseAllConnections();
    // Timer 1: every connection gets one send opportunity.
    void OnTimer1Tick();

    void SendToHost(std::span<const std::uint8_t> bytes) override;

    bool HasHost() const;
    std::string PeerAddress() const;
    // The current connection's traffic; all zero without a host.
    CServerSocket::Traffic Traffic() const;

private:
    std::shared_ptr<CServerSocket> Current() const;
    void PeerClosed(std::uint64_t connectionId);

    IHostMessageSink& sink_;
    IUiThread& ui_;
    IHostLinkEvents& events_;
    std::string transferPath_;
    IHostTrace& trace_;
    CTCPIPListen listener_;

    mutable std::mutex connectionMutex_;
    std::shared_ptr<CServerSocket> connection_;
    std::uint64_t connectionId_ = 0;
    // Work posted by a receive thread checks this first: it may run after the link is gone.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace qx44
