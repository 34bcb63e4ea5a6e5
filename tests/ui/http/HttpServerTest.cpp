#include "ui/http/HttpServer.h"

#include "ui/UiTestSupport.h"
#include "ui/http/BoundedTcpServer.h"

#include <QBuffer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpSocket>
#include <QWebSocket>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace qx44 {
namespace {

using uitest::WaitUntil;

struct Answer {
    int status = 0;
    QByteArray body;
    std::unique_ptr<QNetworkReply> reply;
    QByteArray Header(const char* name) const { return reply->rawHeader(name); }
};

// A web server on 127.0.0.1 over a command table that writes down the lines it is given and
// answers them as the control port would; its window is a plain picture that changes on demand.
class HttpServerTest : public ::testing::Test {
protected:
    void Start(std::string token = {}, std::string bind = {}) {
        server_ = std::make_unique<HttpServer>(
            HttpServer::Station{[this](std::string_view line) {
                                    lines_.emplace_back(line);
                                    if (line.starts_with("cell 99")) {
                                        return ControlReply::Error("no such cell");
                                    }
                                    return ControlReply::Ok().AddText("ran", line);
                                },
                                [this] { return picture_; }},
            std::move(token));
        ASSERT_TRUE(server_->Start(0, bind));
        ASSERT_NE(server_->Port(), 0);
    }

    QUrl Url(const QString& path, const char* scheme = "http") const {
        return QUrl(QString("%1://127.0.0.1:%2%3").arg(scheme).arg(server_->Port()).arg(path));
    }

    Answer Fetch(const QByteArray& method, const QString& path, const QByteArray& body = {},
                 std::vector<std::pair<QByteArray, QByteArray>> headers = {}) {
        QNetworkRequest request(Url(path));
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                             QNetworkRequest::ManualRedirectPolicy);
        for (const auto& [name, value] : headers) {
            request.setRawHeader(name, value);
        }
        auto* data = new QBuffer(&network_);
        data->setData(body);
        Answer answer;
        answer.reply.reset(network_.sendCustomRequest(request, method, data));
        EXPECT_TRUE(WaitUntil([&] { return answer.reply->isFinished(); }));
        answer.status = answer.reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        answer.body = answer.reply->readAll();
        return answer;
    }

    // A stream client that keeps what it is sent.
    struct Viewer {
        std::unique_ptr<QWebSocket> socket;
        std::vector<QString> events;
        std::vector<QByteArray> frames;
        bool failed = false;
    };
    std::unique_ptr<Viewer> Watch(const QString& origin = {}, const QString& path = "/api/stream") {
        auto viewer = std::make_unique<Viewer>();
        viewer->socket = std::make_unique<QWebSocket>(origin);
        Viewer* v = viewer.get();
        QObject::connect(v->socket.get(), &QWebSocket::textMessageReceived,
                         [v](const QString& text) { v->events.push_back(text); });
        QObject::connect(v->socket.get(), &QWebSocket::binaryMessageReceived,
                         [v](const QByteArray& png) { v->frames.push_back(png); });
        QObject::connect(v->socket.get(), &QWebSocket::disconnected, [v] { v->failed = true; });
        v->socket->open(Url(path, "ws"));
        return viewer;
    }

    void Paint(QColor colour) {
        picture_.fill(colour);
        server_->Stream().ScreenChanged();
    }

    QNetworkAccessManager network_;
    std::unique_ptr<HttpServer> server_;
    std::vector<std::string> lines_;
    QImage picture_{64, 48, QImage::Format_RGB32};
};

// Each route builds the one command line the control port would run, and the reply comes back
// as the body: 200 for {"ok":true,...}, 400 with the error itself, 404 and 405 for the rest.
TEST_F(HttpServerTest, RoutesRunTheControlCommandsAndAnswerWithTheirReplies) {
    Start();
    struct Case {
        QByteArray method;
        QString path;
        QByteArray body;
        int status;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"GET", "/api/screen", {}, 200, "screen"},
        {"GET", "/api/screen?attrs=1", {}, 200, "screen attrs"},
        {"GET", "/api/status", {}, 200, "status"},
        {"GET", "/api/state", {}, 200, "state"},
        {"GET", "/api/host", {}, 200, "host"},
        {"GET", "/api/cell?c=3&r=4", {}, 200, "cell 3 4"},
        {"GET", "/api/cell?c=99&r=0", {}, 400, "cell 99 0"},
        {"GET", "/api/printer", {}, 200, "printer"},
        {"GET", "/api/serial/2", {}, 200, "serial 2"},
        {"GET", "/api/serial/2%20send%20x", {}, 200, "serial "},
        {"POST", "/api/keys", R"({"keys":["a","enter"]})", 200, "key a enter"},
        {"POST", "/api/keys", R"({"text":"hi there"})", 200, "type hi there"},
        {"POST", "/api/keys", R"({"down":"lshift"})", 200, "keydown lshift"},
        {"POST", "/api/keys", R"({"up":"lshift"})", 200, "keyup lshift"},
        {"POST", "/api/keys", R"({"keys":["a b"]})", 400, ""},
        {"POST", "/api/keys", R"({"keys":[]})", 400, ""},
        {"POST", "/api/keys", "not json", 400, ""},
        {"POST", "/api/click", R"({"c":10,"r":5})", 200, "click 10 5"},
        {"POST", "/api/click", R"({"c":1,"r":2,"double":true})", 200, "dblclick 1 2"},
        {"POST", "/api/click", R"({"status":7})", 200, "click status 7"},
        {"POST", "/api/click", R"({"c":1.5,"r":2})", 400, ""},
        {"POST", "/api/printer/state", R"({"state":"offline"})", 200, "printer set offline"},
        {"POST", "/api/serial/2", R"({"text":"AB"})", 200, "serial 2 send AB"},
        {"POST", "/api/serial/2", R"({"hex":"41 42"})", 200, "serial 2 sendhex 41 42"},
        {"GET", "/api/nothing", {}, 404, ""},
        {"GET", "/nothing", {}, 404, ""},
        {"GET", "/api/stream", {}, 400, ""},
        {"DELETE", "/api/screen", {}, 405, ""},
        {"POST", "/api/screen", "{}", 405, ""},
        {"GET", "/api/keys?x", {}, 200, "keys"},
        {"PUT", "/", {}, 405, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method.toStdString() + " " + c.path.toStdString());
        lines_.clear();
        const Answer answer = Fetch(c.method, c.path, c.body);
        EXPECT_EQ(answer.status, c.status) << answer.body.toStdString();
        EXPECT_EQ(answer.Header("Content-Type"), "application/json");
        EXPECT_TRUE(answer.body.startsWith(c.status == 200 ? R"({"ok":true)" : R"({"ok":false)"))
            << answer.body.toStdString();
        EXPECT_EQ(lines_,
                  c.line.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.line});
    }
    EXPECT_EQ(Fetch("GET", "/api/cell?c=99&r=0").body, R"({"ok":false,"error":"no such cell"})"
                                                       "\n");
    EXPECT_EQ(Fetch("DELETE", "/api/screen").Header("Allow"), "GET");

    const Answer snap = Fetch("GET", "/api/snap.png");
    EXPECT_EQ(snap.Header("Content-Type"), "image/png");
    EXPECT_EQ(QImage::fromData(snap.body, "PNG").size(), picture_.size());

    const Answer page = Fetch("GET", "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("station.js"));
    EXPECT_EQ(page.Header("X-Frame-Options"), "DENY");
    const Answer tile = Fetch("GET", "/tile");
    EXPECT_EQ(tile.status, 200);
    EXPECT_FALSE(tile.reply->hasRawHeader("X-Frame-Options")) << "a fleet page frames the tile";
    EXPECT_EQ(Fetch("GET", "/station.js").Header("Content-Type"), "text/javascript; charset=utf-8");

    const Answer huge = Fetch("POST", "/api/keys", QByteArray(HttpServer::kMaxBody + 1, 'x'));
    EXPECT_EQ(huge.status, 413);
    // A body far beyond the bound is cut off as it comes, before it is all in memory.
    QTcpSocket endless;
    endless.connectToHost(QHostAddress::LocalHost, server_->Port());
    ASSERT_TRUE(WaitUntil([&] { return endless.state() == QAbstractSocket::ConnectedState; }));
    endless.write(
        "POST /api/keys HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 100000000\r\n\r\n");
    endless.write(QByteArray(2 * HttpServer::kMaxBody, 'x'));
    QByteArray answer;
    EXPECT_TRUE(WaitUntil([&] {
        answer += endless.readAll();
        return endless.state() == QAbstractSocket::UnconnectedState;
    }));
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 413 ")) << answer.toStdString();
    EXPECT_TRUE(answer.endsWith(R"({"ok":false,"error":"the request is too large"})"
                                "\n"));
    EXPECT_EQ(Fetch("GET", "/api/status").status, 200) << "the server goes on after a huge body";
}

// Clients beyond the bound are told and closed at once; once some leave, others are served.
TEST_F(HttpServerTest, ConnectionsBeyondTheBoundAreRefused) {
    Start();
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < BoundedTcpServer::kMaxConnections; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, server_->Port());
    }
    ASSERT_TRUE(WaitUntil([&] {
        return static_cast<std::size_t>(server_->findChildren<QTcpSocket*>().size()) >= idle.size();
    }));
    const Answer refused = Fetch("GET", "/api/status");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.body, R"({"ok":false,"error":"too many web clients"})"
                            "\n");
    idle.clear();
    EXPECT_TRUE(WaitUntil([&] { return Fetch("GET", "/api/status").status == 200; }));
}

// With a token every request needs it, before anything else is looked at: the header, the
// cookie, or once the query of the station's page, which then sets the cookie; a framed tile
// carries it in its addresses.
TEST_F(HttpServerTest, ATokenGuardsEveryRequestAndTheStream) {
    Start("s3cret");
    for (const char* path : {"/api/screen", "/", "/nothing", "/api/nothing"}) {
        SCOPED_TRACE(path);
        const Answer refused = Fetch("GET", path);
        EXPECT_EQ(refused.status, 401);
        EXPECT_EQ(refused.body, R"({"ok":false,"error":"unauthorized: send the token"})"
                                "\n");
    }
    EXPECT_EQ(Fetch("POST", "/api/keys", R"({"keys":["a"]})", {{"X-QX44-Token", "wrong"}}).status,
              401);
    EXPECT_TRUE(lines_.empty());
    EXPECT_EQ(Fetch("GET", "/api/screen", {}, {{"X-QX44-Token", "s3cret"}}).status, 200);
    EXPECT_EQ(Fetch("GET", "/api/screen", {}, {{"Cookie", "a=b; qx44token=s3cret"}}).status, 200);
    EXPECT_EQ(Fetch("GET", "/?token=wrong").status, 401);
    // A tile framed by another site's page gets no cookie: it and its files keep the token (asked
    // before this client holds the cookie).
    const Answer tile = Fetch("GET", "/tile?token=s3%26cret%22");
    EXPECT_EQ(tile.status, 401);
    const Answer framed = Fetch("GET", "/tile?token=s3cret");
    EXPECT_EQ(framed.status, 200);
    EXPECT_TRUE(framed.body.contains(R"("/station.js?token=s3cret")")) << framed.body.toStdString();
    EXPECT_EQ(Fetch("GET", "/station.css?token=s3cret").status, 200);
    const Answer entry = Fetch("GET", "/?token=s3cret");
    EXPECT_EQ(entry.status, 303);
    EXPECT_EQ(entry.Header("Location"), "/");
    EXPECT_TRUE(entry.Header("Set-Cookie").startsWith("qx44token=s3cret;"));

    auto stranger = Watch();
    EXPECT_TRUE(WaitUntil([&] { return stranger->failed; }));
    auto member = Watch({}, "/api/stream?token=s3cret");
    EXPECT_TRUE(WaitUntil([&] { return !member->frames.empty(); }));
    EXPECT_EQ(server_->Stream().Clients(), 1u);
}

TEST_F(HttpServerTest, AnAddressBeyondLoopbackNeedsAToken) {
    HttpServer open({[](std::string_view) { return ControlReply::Ok(); }, [] { return QImage(); }},
                    "");
    EXPECT_FALSE(open.Start(0, "0.0.0.0"));
    EXPECT_FALSE(open.Start(0, "not an address"));
    EXPECT_TRUE(open.Start(0, "127.0.0.1"));
    HttpServer guarded(
        {[](std::string_view) { return ControlReply::Ok(); }, [] { return QImage(); }}, "t");
    EXPECT_TRUE(guarded.Start(0, "0.0.0.0"));
}

// Two viewers at once: each gets the state and the current picture first, then a frame after
// changes (a burst of changes makes one frame) and every event; one that goes away mid-stream is
// dropped while the other goes on. Another site's page cannot open the stream.
TEST_F(HttpServerTest, TwoViewersWatchAndOneLeavesMidStream) {
    Start();
    picture_.fill(Qt::blue);
    auto first = Watch();
    auto second = Watch(Url("").toString(QUrl::RemovePath));
    for (Viewer* viewer : {first.get(), second.get()}) {
        ASSERT_TRUE(WaitUntil([&] { return viewer->frames.size() == 1; }));
        ASSERT_FALSE(viewer->events.empty());
        EXPECT_TRUE(viewer->events.front().startsWith(R"({"event":"state","host":{"ok":true)"))
            << viewer->events.front().toStdString();
        EXPECT_EQ(QImage::fromData(viewer->frames.back(), "PNG").pixelColor(0, 0),
                  QColor(Qt::blue));
    }

    const qint64 encoded = server_->Stream().FramesEncoded();
    for (int i = 0; i < 100; ++i) {
        Paint(i % 2 == 0 ? Qt::green : Qt::red);
    }
    for (Viewer* viewer : {first.get(), second.get()}) {
        ASSERT_TRUE(WaitUntil([&] { return viewer->frames.size() == 2; }));
        EXPECT_EQ(QImage::fromData(viewer->frames.back(), "PNG").pixelColor(0, 0), QColor(Qt::red));
    }
    EXPECT_EQ(server_->Stream().FramesEncoded(), encoded + 1);

    server_->Stream().HostConnected("10.1.2.3");
    server_->Stream().ReceiptPrinted(3, "THANK YOU\n");
    server_->Stream().SerialWritten(2, "A\xE9");
    const std::vector<QString> events = {R"({"connected":true,"event":"host","peer":"10.1.2.3"})",
                                         R"({"event":"receipt","port":3,"text":"THANK YOU\n"})",
                                         R"({"data":"Aé","event":"serial","port":2})"};
    for (Viewer* viewer : {first.get(), second.get()}) {
        ASSERT_TRUE(WaitUntil([&] { return viewer->events.size() == 4; }));
        EXPECT_EQ(std::vector<QString>(viewer->events.begin() + 1, viewer->events.end()), events);
    }

    first->socket->abort();
    Paint(Qt::yellow);
    EXPECT_TRUE(WaitUntil([&] { return server_->Stream().Clients() == 1; }));
    EXPECT_TRUE(WaitUntil([&] { return second->frames.size() == 3; }));
    Paint(Qt::white);
    ASSERT_TRUE(WaitUntil([&] {
        return QImage::fromData(second->frames.back(), "PNG").pixelColor(0, 0) == QColor(Qt::white);
    }));

    auto stranger = Watch("http://evil.example");
    EXPECT_TRUE(WaitUntil([&] { return stranger->failed; }));
    auto lost = Watch({}, "/api/elsewhere");
    EXPECT_TRUE(WaitUntil([&] { return lost->failed; }));
    EXPECT_EQ(server_->Stream().Clients(), 1u);
}

// A viewer that opens the stream and then reads nothing: frames that find the previous one still
// on its way replace each other instead of piling up, and a viewer beside it that reads gets the
// latest picture.
TEST_F(HttpServerTest, AViewerThatDoesNotReadMissesFramesInsteadOfPilingThemUp) {
    Start();
    // Noise does not compress: each frame is larger than what the socket buffers take.
    picture_ = QImage(1024, 768, QImage::Format_RGB32);
    const auto noise = [this](int seed) {
        for (int y = 0; y < picture_.height(); ++y) {
            auto* line = reinterpret_cast<quint32*>(picture_.scanLine(y));
            for (int x = 0; x < picture_.width(); ++x) {
                line[x] = (static_cast<quint32>(x * 2654435761u) ^
                           static_cast<quint32>(y * 40503u) ^ static_cast<quint32>(seed * 97u)) |
                          0xFF000000u;
            }
        }
    };
    QTcpSocket stalled;
    stalled.setReadBufferSize(1);
    stalled.connectToHost(QHostAddress::LocalHost, server_->Port());
    ASSERT_TRUE(stalled.waitForConnected(5000));
    stalled.write("GET /api/stream HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\n"
                  "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                  "Sec-WebSocket-Version: 13\r\n\r\n");
    auto reader = Watch();
    ASSERT_TRUE(WaitUntil([&] { return server_->Stream().Clients() == 2; }));
    for (int i = 0; i < 12; ++i) {
        const qint64 encoded = server_->Stream().FramesEncoded();
        noise(i);
        server_->Stream().ScreenChanged();
        ASSERT_TRUE(WaitUntil([&] { return server_->Stream().FramesEncoded() > encoded; }));
    }
    EXPECT_TRUE(WaitUntil(
        [&] {
            return !reader->frames.empty() && QImage::fromData(reader->frames.back(), "PNG") ==
                                                  picture_.convertToFormat(QImage::Format_RGB32);
        },
        20000));
    EXPECT_GT(server_->Stream().FramesDropped(), 0);
    EXPECT_EQ(server_->Stream().Clients(), 2u);
}

// A page that answers each frame it has drawn is never sent more than two frames ahead of it,
// however fast the screen changes; its next "ack" brings the latest picture.
TEST_F(HttpServerTest, APageThatAcknowledgesFramesIsNeverFarBehind) {
    Start();
    picture_.fill(Qt::blue);
    auto page = Watch();
    ASSERT_TRUE(WaitUntil([&] { return page->frames.size() == 1; }));
    page->socket->sendTextMessage("ack");
    for (const QColor colour : {Qt::red, Qt::green, Qt::yellow, Qt::cyan, Qt::magenta}) {
        const qint64 encoded = server_->Stream().FramesEncoded();
        Paint(colour);
        ASSERT_TRUE(WaitUntil([&] { return server_->Stream().FramesEncoded() > encoded; }));
    }
    ASSERT_TRUE(WaitUntil([&] { return page->frames.size() >= 3; }));
    EXPECT_EQ(page->frames.size(), 3u);
    page->socket->sendTextMessage("ack");
    ASSERT_TRUE(WaitUntil([&] { return page->frames.size() == 4; }));
    EXPECT_EQ(QImage::fromData(page->frames.back(), "PNG").pixelColor(0, 0), QColor(Qt::magenta));
}

} // namespace
} // namespace qx44
