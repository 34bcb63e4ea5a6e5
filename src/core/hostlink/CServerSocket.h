#pragma once

#include "core/common/CancelToken.h"
#include "core/common/UniqueFd.h"
#include "core/common/WakeFd.h"
#include "core/hostlink/IHostMessageSink.h"
#include "core/hostlink/IHostTrace.h"
#include "core/hostlink/MessageFramer.h"
#include "core/hostlink/SendQueue.h"

#include <atomic>
#include <functional>
#include <span>
#include <string>
#include <thread>

namespace qx44 {

// One host connection: a receive thread that frames and dispatches what the host sends, and the
// queue of what the station sends, drained one chunk per send opportunity.
class CServerSocket : private IHostMessageSink {
public:
    // What went each way on this connection: bytes on the socket, messages handed to the
    // interpreter and queued for the host.
    struct Traffic {
        std::uint64_t bytesIn = 0;
        std::uint64_t bytesOut = 0;
        std::uint64_t messagesIn = 0;
        std::uint64_t messagesOut = 0;
    };

    static constexpr std::size_t kSendChunk = 256;
    // While more than this waits to go out (50 s of pacing), the host's socket is not read, so
    // TCP holds back a host that asks without reading its answers; reading goes on once half of
    // it has gone. Nothing is dropped, and the station's own sends never wait for it.
    static constexpr std::size_t kSendBound = 64 * 1024;

    // `peerClosed` runs on the receive thread, once, when the host has gone: at once when its
    // connection broke, or, when it only closed its sending side, once what was queued for it
    // has been sent.
    CServerSocket(UniqueFd socket, IHostMessageSink& sink, std::string transferPath,
                  std::function<void()> peerClosed, IHostTrace& trace = IHostTrace::None());
    CServerSocket(const CServerSocket&) = delete;
    CServerSocket& operator=(const CServerSocket&) = delete;
    ~CServerSocket() override;

    void StartReceiving();
    // Safe to call more than once; returns after the receive thread has ended.
    void CloseConnection();

    void QueueBytes(std::span<const std::uint8_t> bytes);
    void FlushSendQueue();
    std::size_t QueuedBytes() const { return sendQueue_.Size(); }

    // The host's IPv4 address, and its port after a colon when `withPort` (the trace's form).
    std::string GetPeerAddress(bool withPort = false) const;
    Traffic GetTraffic() const;

private:
    void DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                             std::span<const std::uint8_t> message,
                             const CancelToken& connectionClosing) override;
    void ShowHostPicture(int column, int row, const std::string& path) override;
    void HoldScreenRepaint(bool hold) override;

    void ReceiveLoop();
    // Runs beside the receive thread: a connection that breaks while a handler waits (a long
    // beep) cuts the wait short, while everything the host sent before is still handled.
    void WatchForHangUp();
    std::size_t SendNow(std::span<const std::uint8_t> bytes);
    bool IsHeldBack(bool wasHeldBack) const;
    void FinishSending();
    void ReportPeerClosed();
    // Sleeps until `events` come on the socket (none: only a wake-up counts) or a wake-up;
    // returns the socket's events, 0 after a wake-up.
    short WaitForSocketOrWake(short events);

    UniqueFd socket_;
    IHostMessageSink& sink_;
    MessageFramer framer_;
    std::function<void()> peerClosed_;
    // Cancelled by CloseConnection: ends the receive loop and any wait inside a handler.
    CancelToken closing_;
    // Cancelled by CloseConnection and by the connection breaking: ends waits inside handlers.
    CancelToken handlerWaits_;
    // Readable for good once the connection closes: ends both threads' polls.
    WakeFd closeWake_;
    // Signalled when the send queue shrinks or a send fails: a held-back receive loop and a
    // half-closed host's last answers wait on it.
    WakeFd sendWake_;
    std::thread receiveThread_;
    std::thread hangUpThread_;
    SendQueue sendQueue_;
    // Set by a send that failed for good: the host is gone and nothing queued can reach it.
    std::atomic<bool> sendFailed_{false};
    std::atomic<std::uint64_t> bytesIn_{0};
    std::atomic<std::uint64_t> bytesOut_{0};
    std::atomic<std::uint64_t> messagesIn_{0};
    std::atomic<std::uint64_t> messagesOut_{0};
};

} // namespace qx44
