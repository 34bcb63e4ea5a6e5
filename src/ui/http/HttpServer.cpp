#include "ui/http/HttpServer.h"

#include "core/common/Log.h"
#include "ui/http/BoundedTcpServer.h"
#include "ui/http/WebPages.h"

#include <QHttpServerResponder>
#include <QUrlQuery>
#include <QWebSocket>

namespace qx44 {

namespace {

// What a request may hold beside its body: the request line and the headers.
constexpr qsizetype kMaxHead = 16 * 1024;

QByteArray TokenInQuery(const QUrl& url) {
    return QUrlQuery(url).queryItemValue("token", QUrl::FullyDecoded).toUtf8();
}

} // namespace

HttpServer::HttpServer(Station station, std::string token)
    : station_(std::move(station)), access_(std::move(token)), api_(station_.run, station_.picture),
      stream_(station_.picture, [this] { return StateEvent(); }) {
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &HttpServer::TakeWebSockets);
}

bool HttpServer::Start(std::uint16_t port, const std::string& bindAddress) {
    if (!bindAddress.empty()) {
        QHostAddress address;
        if (!address.setAddress(QString::fromStdString(bindAddress))) {
            Log::Error(LogArea::Host, "cannot serve the web view: Http/Bind=" + bindAddress +
                                          " is not an address");
            return false;
        }
        if (!address.isLoopback() && !access_.HasToken()) {
            Log::Error(LogArea::Host, "cannot serve the web view on " + bindAddress +
                                          ": an address other than loopback needs "
                                          "[Control] Token= set");
            return false;
        }
        return Listen(address, port);
    }
    if (!Listen(QHostAddress::LocalHost, port)) {
        return false;
    }
    // The same port on IPv6 too, where the machine has it.
    auto* ipv6 = new BoundedTcpServer(kMaxBody + kMaxHead, this);
    if (ipv6->listen(QHostAddress::LocalHostIPv6, port_)) {
        bind(ipv6);
    } else {
        Log::Note(LogArea::Host, [&] {
            return "the web view is not on ::1: " + ipv6->errorString().toStdString();
        });
        delete ipv6;
    }
    return true;
}

bool HttpServer::Listen(const QHostAddress& address, std::uint16_t port) {
    auto* server = new BoundedTcpServer(kMaxBody + kMaxHead, this);
    if (!server->listen(address, port)) {
        Log::Error(LogArea::Host,
                   "cannot serve the web view on " + address.toString().toStdString() + " port " +
                       std::to_string(port) + ": " + server->errorString().toStdString());
        delete server;
        return false;
    }
    port_ = server->serverPort();
    bind(server);
    return true;
}

bool HttpServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    BoundedTcpServer::Answered(socket);
    if (request.value("Upgrade").compare("websocket", Qt::CaseInsensitive) == 0) {
        // Accepted: Qt's WebSocket server answers the handshake. Refused: missingHandler writes
        // the refusal and Qt closes the connection, with no handshake at all.
        refusal_ = UpgradeRefusal(request);
        return !refusal_.has_value();
    }
    Write(Answer(request), makeResponder(request, socket));
    return true;
}

void HttpServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    Write(refusal_.value_or(HttpReply::Error(404, "no such path")), makeResponder(request, socket));
    refusal_.reset();
}

void HttpServer::Write(const HttpReply& reply, QHttpServerResponder&& responder) {
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
    responder.writeHeader("Content-Type", reply.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    for (const auto& [name, value] : reply.headers) {
        responder.writeHeader(name, value);
    }
    responder.writeBody(reply.body);
}

std::optional<HttpReply> HttpServer::UpgradeRefusal(const QHttpServerRequest& request) const {
    if (!access_.Admits(request.value("X-QX44-Token"), request.value("Cookie")) &&
        !access_.Matches(TokenInQuery(request.url()))) {
        return HttpReply::Error(401, "unauthorized: send the token");
    }
    // Another site's page must not drive the station through its visitor's browser.
    if (!HttpAccess::IsOwnOrigin(request.value("Origin"), request.value("Host"))) {
        return HttpReply::Error(403, "the stream is open to this server's own pages only");
    }
    if (request.url().path() != "/api/stream") {
        return HttpReply::Error(404, "no such stream: " + request.url().path().toStdString());
    }
    return std::nullopt;
}

HttpReply HttpServer::Answer(const QHttpServerRequest& request) const {
    const QString path = request.url().path();
    const bool get = request.method() == QHttpServerRequest::Method::Get;
    const bool tokenInAddress = get && access_.Matches(TokenInQuery(request.url()));
    // A page opened with ?token=T keeps the token in a cookie from then on. A tile framed by a
    // page of another site gets no cookie, so it and what it loads carry the token in the address.
    const bool framedTile = tokenInAddress && path != "/";
    if (!access_.Admits(request.value("X-QX44-Token"), request.value("Cookie")) && !framedTile) {
        if (tokenInAddress) {
            return {303,
                    "text/plain",
                    {},
                    {{"Location", request.url().path(QUrl::FullyEncoded).toUtf8()},
                     {"Set-Cookie", access_.TokenCookie()}}};
        }
        return HttpReply::Error(401, "unauthorized: send the token");
    }
    if (request.body().size() > kMaxBody) {
        return HttpReply::Error(413, "the request is too large");
    }
    if (path == "/api/stream") {
        return HttpReply::Error(400, "the stream needs a WebSocket");
    }
    if (ApiRoutes::Covers(path)) {
        return api_.Answer(request);
    }
    auto page = WebPages::Page(path);
    if (!page) {
        return HttpReply::Error(404, "no such path: " + path.toStdString());
    }
    if (!get) {
        HttpReply refused = HttpReply::Error(405, "method not allowed on " + path.toStdString());
        refused.headers.emplace_back("Allow", "GET");
        return refused;
    }
    if (framedTile && path == "/tile") {
        const QByteArray query = "?token=" + QUrl::toPercentEncoding(TokenInQuery(request.url()));
        for (const char* asset : {"/station.css\"", "/station.js\""}) {
            const QByteArray name(asset);
            page->body.replace(name, name.left(name.size() - 1) + query + "\"");
        }
        page->headers.emplace_back("Referrer-Policy", "no-referrer");
    }
    return *page;
}

QByteArray HttpServer::StateEvent() const {
    const ControlReply host = station_.run("host");
    const ControlReply state = station_.run("state");
    std::string line = R"({"event":"state","host":)" + host.ToLine();
    line.pop_back();
    if (state.IsOk()) {
        line += R"(,"station":)" + state.ToLine();
        line.pop_back();
    }
    return QByteArray::fromStdString(line + "}");
}

void HttpServer::TakeWebSockets() {
    while (auto socket = nextPendingWebSocketConnection()) {
        stream_.Accept(std::move(socket));
    }
}

} // namespace qx44
