#include "core/screen/CGlobalFunction.h"
#include "core/screen/CVantor256Attr.h"
#include "support/Bytes.h"
#include "support/FreePort.h"
#include "support/JsonNumber.h"
#include "support/HttpTestClient.h"
#include "support/StationProgramHost.h"

#include <QImage>
#include <gtest/gtest.h>
#include <regex>

namespace qx44 {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::NumberIn;

// The built program's web server beside a host: the JSON API answers with the control port's
// replies and errors, its keys, clicks and serial bytes reach the host, and its picture is the
// window's.
TEST(HttpPortTest, TheApiDrivesAHeadlessStationBesideItsHost) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::uint16_t http = test::FreePort();
    auto program = test::StartStationProgram(QX44SIM_PATH, dir, port,
                                             {"--headless", "--http", std::to_string(http)}, {},
                                             "COM2=virtual\nCOM3=printer\n");
    auto host = test::ConnectWhenListening(port);
    test::ExpectAnswered(*host);
    ASSERT_EQ(test::HttpWhenListening(http, "/api/host").status, 200);

    host->Send(
        Bytes{0x02, 0x01, 0x23, 0x07, 0x07, 0xD2, 0x00, 0x06, 'h', 'e', 'l', 'l', 'o', ' ', 0x03});
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (test::HttpRequest(http, "GET", "/api/screen").body.find(R"(,"       hello )") ==
               std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }

    struct Case {
        const char* method;
        const char* path;
        const char* body;
        int status;
        const char* answer;
    };
    const std::vector<Case> cases = {
        {"GET", "/api/screen", "", 200,
         R"({"ok":true,"columns":80,"rows":25,"playerCovers":false,"lines":[)"},
        {"GET", "/api/state", "", 200,
         R"({"ok":true,"phase":"terminal","controlPort":null,"hostPort":)"},
        {"GET", "/api/cell?c=7&r=7", "", 200,
         R"({"ok":true,"column":7,"row":7,"char":"h","code":104,"attr":"D200")"},
        {"GET", "/api/cell?c=200&r=0", "", 400,
         R"({"ok":false,"error":"no such cell: the screen has 80 columns and 25 rows"})"},
        {"GET", "/api/cell?c=1", "", 400, R"({"ok":false,"error":"usage: cell C R"})"},
        {"GET", "/api/status", "", 200, R"({"ok":true,"text":)"},
        {"GET", "/api/host", "", 200, R"({"ok":true,"connected":true,"peer":"127.0.0.1")"},
        {"GET", "/api/serial/2", "", 200, R"({"ok":true,"port":2,"kind":"virtual")"},
        {"GET", "/api/serial/0", "", 400,
         R"({"ok":false,"error":"usage: serial N [send TEXT | sendhex HEX]"})"},
        {"GET", "/api/printer", "", 200, R"({"ok":true,"port":3,"state":"ready")"},
        {"POST", "/api/printer/state", R"({"state":"cover-open"})", 200,
         R"({"ok":true,"port":3,"state":"cover-open"})"},
        {"POST", "/api/printer/state", R"({"state":"jammed"})", 400,
         R"({"ok":false,"error":"usage: printer [take | set )"},
        {"POST", "/api/keys", R"({"keys":["nokey"]})", 400,
         R"({"ok":false,"error":"no key named nokey; try keys"})"},
        {"POST", "/api/click", R"({"c":80,"r":0})", 400, R"({"ok":false,"error":"no such cell)"},
        {"GET", "/api/nothing", "", 404, R"({"ok":false,"error":"no such path: /api/nothing"})"},
        {"PUT", "/api/keys", "{}", 405, R"({"ok":false,"error":"method not allowed)"},
        {"GET", "/api/keys", "", 200, R"({"ok":true,"keys":["esc","f1",)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + c.path);
        const test::HttpAnswer answer = test::HttpRequest(http, c.method, c.path, c.body);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_TRUE(answer.body.starts_with(c.answer)) << answer.body;
    }

    EXPECT_EQ(test::HttpRequest(http, "POST", "/api/keys", R"({"keys":["a"]})").status, 200);
    EXPECT_EQ(test::Hex(host->Receive(15)), "02 01 11 1C 03 02 01 11 F0 03 02 01 11 1C 03");
    EXPECT_EQ(test::HttpRequest(http, "POST", "/api/keys", R"({"down":"lshift"})").status, 200);
    EXPECT_EQ(test::HttpRequest(http, "POST", "/api/keys", R"({"up":"lshift"})").status, 200);
    EXPECT_EQ(test::Hex(host->Receive(15)), "02 01 11 12 03 02 01 11 F0 03 02 01 11 12 03");
    EXPECT_EQ(test::HttpRequest(http, "POST", "/api/click", R"({"c":10,"r":5})").body,
              "{\"ok\":true}\n");
    EXPECT_EQ(test::Hex(host->Receive(12)), "02 01 2C 0A 05 03 02 01 2D 0A 05 03");
    EXPECT_EQ(test::HttpRequest(http, "POST", "/api/serial/2", R"({"text":"AB"})").body,
              "{\"ok\":true,\"port\":2,\"queued\":2}\n");
    EXPECT_EQ(test::Hex(host->Receive(10)), "02 01 22 41 03 02 01 22 42 03");

    const test::HttpAnswer snap = test::HttpRequest(http, "GET", "/api/snap.png");
    EXPECT_NE(snap.head.find("Content-Type: image/png"), std::string::npos) << snap.head;
    const QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(snap.body.data()),
                                            static_cast<int>(snap.body.size()), "PNG");
    ASSERT_FALSE(picture.isNull());
    const std::string space = test::HttpRequest(http, "GET", "/api/cell?c=12&r=7").body;
    const QColor shown = picture.pixelColor(NumberIn(space, "x") + NumberIn(space, "width") / 2,
                                            NumberIn(space, "y") + NumberIn(space, "height") / 2);
    const RgbColor drawn = CVantor256Attr::BackColor(CGlobalFunction::MakeAttr(0xD2, 0x00));
    EXPECT_EQ(shown, QColor(drawn.red, drawn.green, drawn.blue));
    test::ExpectAnswered(*host);
}

// With [Control] Token= the web server asks every request for it; without one it refuses to
// listen beyond loopback, and says why.
TEST(HttpPortTest, TheTokenGuardsTheWebServerAndAWideAddressNeedsOne) {
    test::TempDir dir;
    const std::uint16_t port = test::FreePort();
    const std::uint16_t http = test::FreePort();
    {
        auto program = test::StartStationProgram(QX44SIM_PATH, dir, port,
                                                 {"--headless", "--http", std::to_string(http)}, {},
                                                 {}, "[Control]\nToken=pass word\n");
        EXPECT_EQ(test::HttpWhenListening(http, "/api/screen").status, 401);
        EXPECT_EQ(test::HttpRequest(http, "POST", "/api/keys", R"({"keys":["a"]})").status, 401);
        EXPECT_EQ(
            test::HttpRequest(http, "GET", "/api/screen", "", "X-QX44-Token: pass word\r\n").status,
            200);
        const test::HttpAnswer entry = test::HttpRequest(http, "GET", "/?token=pass%20word");
        EXPECT_EQ(entry.status, 303);
        EXPECT_NE(entry.head.find("Set-Cookie: qx44token=pass word;"), std::string::npos);
    }
    const std::string output = dir.File("output.txt");
    auto program = test::StartStationProgram(QX44SIM_PATH, dir, port,
                                             {"--headless", "--http", std::to_string(http)}, {}, {},
                                             "[Http]\nBind=0.0.0.0\n", output);
    auto host = test::ConnectWhenListening(port);
    test::ExpectAnswered(*host);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (test::TempDir::ReadText(output).find("web view") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_NE(test::TempDir::ReadText(output).find(
                  "cannot serve the web view on 0.0.0.0: an address other than loopback needs "
                  "[Control] Token= set"),
              std::string::npos)
        << test::TempDir::ReadText(output);
    EXPECT_THROW(test::HttpRequest(http, "GET", "/api/screen"), std::runtime_error);
}

} // namespace
} // namespace qx44
