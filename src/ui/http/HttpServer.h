#pragma once

#include "ui/http/ApiRoutes.h"
#include "ui/http/HttpAccess.h"
#include "ui/http/StationStream.h"

#include <QAbstractHttpServer>
#include <QHttpServerResponder>
#include <cstdint>
#include <optional>
#include <string>

namespace qx44 {

// The station's web server: the JSON API, the live stream and the web pages on one port. On
// the loopback addresses unless another address is named, and then only with a token, which
// every request must carry (checked before anything else). Lives on the UI thread: each request
// runs there, as the control port's commands do.
class HttpServer : public QAbstractHttpServer {
    Q_OBJECT

public:
    static constexpr qsizetype kMaxBody = 64 * 1024;

    struct Station {
        // Runs one control command line, as the control port does.
        ApiRoutes::Runner run;
        // What the window shows.
        ApiRoutes::PictureSource picture;
    };

    HttpServer(Station station, std::string token);

    // `bind` empty: 127.0.0.1 and ::1; port 0 takes a free one. False, logged, when it cannot
    // listen or when an address other than loopback is named without a token.
    bool Start(std::uint16_t port, const std::string& bindAddress);
    // The port it listens on, once started; 0 before.
    std::uint16_t Port() const { return port_; }
    StationStream& Stream() { return stream_; }

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    HttpReply Answer(const QHttpServerRequest& request) const;
    // Nothing when a WebSocket upgrade may go ahead.
    std::optional<HttpReply> UpgradeRefusal(const QHttpServerRequest& request) const;
    static void Write(const HttpReply& reply, QHttpServerResponder&& responder);
    QByteArray StateEvent() const;
    void TakeWebSockets();
    bool Listen(const QHostAddress& address, std::uint16_t port);

    Station station_;
    HttpAccess access_;
    ApiRoutes api_;
    StationStream stream_;
    std::uint16_t port_ = 0;
    // The answer to the upgrade just refused, for missingHandler to write.
    std::optional<HttpReply> refusal_;
};

} // namespace qx44
