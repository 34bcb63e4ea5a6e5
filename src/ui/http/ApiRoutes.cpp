#include "ui/http/ApiRoutes.h"

#include "ui/http/PngBytes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUrlQuery>
#include <algorithm>
#include <cmath>
#include <optional>

namespace qx44 {

namespace {

// One word of a command line from a JSON value: a whole number, or a string of letters, digits,
// '_', '-' and '.', which no blank or quote can split or join.
std::optional<std::string> Word(const QJsonValue& value) {
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (number != std::floor(number) || std::abs(number) > 1e9) {
            return std::nullopt;
        }
        return std::to_string(static_cast<long long>(number));
    }
    if (!value.isString() || value.toString().isEmpty()) {
        return std::nullopt;
    }
    const QString text = value.toString();
    for (const QChar c : text) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != '_' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    return text.toStdString();
}

// A COM number from the path; anything else is left for the command to refuse.
std::string PortWord(QStringView port) {
    const bool digits = !port.isEmpty() && std::all_of(port.begin(), port.end(), [](QChar c) {
        return c >= '0' && c <= '9';
    });
    return digits ? port.toString().toStdString() : "";
}

std::string QueryWord(const QHttpServerRequest& request, const char* key) {
    return QUrlQuery(request.url()).queryItemValue(key, QUrl::FullyDecoded).toStdString();
}

HttpReply Usage(std::string_view usage) {
    return HttpReply::Error(400, "usage: " + std::string(usage));
}

} // namespace

const std::vector<ApiRoutes::Route>& ApiRoutes::Routes() {
    using Request = const QHttpServerRequest&;
    const auto command = [](std::string line) {
        return [line](const ApiRoutes& api, Request, QStringView) { return api.Run(line); };
    };
    const auto withBody = [](HttpReply (ApiRoutes::*answer)(const QJsonObject&) const) {
        return [answer](const ApiRoutes& api, Request request, QStringView) {
            return (api.*answer)(QJsonDocument::fromJson(request.body()).object());
        };
    };
    static const std::vector<Route> routes = {
        {"/api/state", false, Method::Get, command("state")},
        {"/api/status", false, Method::Get, command("status")},
        {"/api/host", false, Method::Get, command("host")},
        {"/api/keys", false, Method::Get, command("keys")},
        {"/api/printer", false, Method::Get, command("printer")},
        {"/api/screen", false, Method::Get,
         [](const ApiRoutes& api, Request request, QStringView) {
             const std::string attrs = QueryWord(request, "attrs");
             return api.Run(attrs.empty() || attrs == "0" ? "screen" : "screen attrs");
         }},
        {"/api/cell", false, Method::Get,
         [](const ApiRoutes& api, Request request, QStringView) {
             return api.Run("cell " + QueryWord(request, "c") + " " + QueryWord(request, "r"));
         }},
        {"/api/snap.png", false, Method::Get,
         [](const ApiRoutes& api, Request, QStringView) { return api.Snap(); }},
        {"/api/serial/", true, Method::Get,
         [](const ApiRoutes& api, Request, QStringView port) {
             return api.Run("serial " + PortWord(port));
         }},
        {"/api/keys", false, Method::Post, withBody(&ApiRoutes::Keys)},
        {"/api/click", false, Method::Post, withBody(&ApiRoutes::Click)},
        {"/api/printer/state", false, Method::Post, withBody(&ApiRoutes::PrinterState)},
        {"/api/serial/", true, Method::Post,
         [](const ApiRoutes& api, Request request, QStringView port) {
             return api.SerialSend(port, QJsonDocument::fromJson(request.body()).object());
         }},
    };
    return routes;
}

HttpReply ApiRoutes::Answer(const QHttpServerRequest& request) const {
    const QString path = request.url().path();
    bool known = false;
    for (const Route& route : Routes()) {
        const bool matches = route.prefix
                                 ? path.startsWith(route.path) && path.size() > route.path.size()
                                 : path == route.path;
        if (!matches) {
            continue;
        }
        known = true;
        if (route.method != request.method()) {
            continue;
        }
        if (route.method == Method::Post && !QJsonDocument::fromJson(request.body()).isObject()) {
            return HttpReply::Error(400, "the body must be a JSON object");
        }
        return route.answer(*this, request, QStringView(path).mid(route.path.size()));
    }
    if (!known) {
        return HttpReply::Error(404, "no such path: " + path.toStdString());
    }
    HttpReply reply = HttpReply::Error(405, "method not allowed on " + path.toStdString());
    QByteArray allowed;
    for (const Route& route : Routes()) {
        if (route.path == path || (route.prefix && path.startsWith(route.path))) {
            allowed += allowed.isEmpty() ? "" : ", ";
            allowed += route.method == Method::Get ? "GET" : "POST";
        }
    }
    reply.headers.emplace_back("Allow", allowed);
    return reply;
}

HttpReply ApiRoutes::Run(const std::string& line) const {
    const ControlReply reply = run_(line);
    QByteArray body = QByteArray::fromStdString(reply.ToLine());
    return HttpReply::Json(reply.IsOk() ? 200 : 400, std::move(body));
}

HttpReply ApiRoutes::Snap() const {
    const QImage picture = picture_();
    if (picture.isNull()) {
        return HttpReply::Error(503, "the station has no window to show");
    }
    return {200, "image/png", PngBytes(picture), {}};
}

HttpReply ApiRoutes::Keys(const QJsonObject& body) const {
    constexpr std::string_view kUsage =
        R"(POST /api/keys {"keys":["NAME",...]} | {"text":"TEXT"} | {"down":"NAME"} | {"up":"NAME"})";
    if (body.size() != 1) {
        return Usage(kUsage);
    }
    if (body.contains("text") && body["text"].isString()) {
        return Run("type " + body["text"].toString().toStdString());
    }
    for (const auto& [key, command] : {std::pair{"down", "keydown "}, std::pair{"up", "keyup "}}) {
        if (body.contains(key)) {
            const auto name = Word(body[key]);
            return name ? Run(command + *name)
                        : HttpReply::Error(400, "no key named " +
                                                    body[key].toVariant().toString().toStdString() +
                                                    "; try keys");
        }
    }
    if (!body["keys"].isArray() || body["keys"].toArray().isEmpty()) {
        return Usage(kUsage);
    }
    std::string line = "key";
    for (const QJsonValue& value : body["keys"].toArray()) {
        const auto name = Word(value);
        if (!name) {
            return HttpReply::Error(
                400, "no key named " + value.toVariant().toString().toStdString() + "; try keys");
        }
        line += " " + *name;
    }
    return Run(line);
}

HttpReply ApiRoutes::Click(const QJsonObject& body) const {
    constexpr std::string_view kUsage =
        R"(POST /api/click {"c":C,"r":R[,"double":true]} | {"status":C[,"double":true]})";
    const bool twice = body["double"].toBool();
    const std::string command = twice ? "dblclick " : "click ";
    if (body.contains("status")) {
        const auto column = Word(body["status"]);
        return column ? Run(command + "status " + *column) : Usage(kUsage);
    }
    const auto column = Word(body["c"]);
    const auto row = Word(body["r"]);
    if (!column || !row) {
        return Usage(kUsage);
    }
    return Run(command + *column + " " + *row);
}

HttpReply ApiRoutes::PrinterState(const QJsonObject& body) const {
    const auto state = Word(body["state"]);
    return state ? Run("printer set " + *state)
                 : Usage(R"(POST /api/printer/state {"state":"ready|offline|cover-open|...")"
                         R"("paper-near-end|paper-end"})");
}

HttpReply ApiRoutes::SerialSend(QStringView port, const QJsonObject& body) const {
    const std::string number = PortWord(port);
    if (body["text"].isString()) {
        return Run("serial " + number + " send " + body["text"].toString().toStdString());
    }
    if (body["hex"].isString()) {
        return Run("serial " + number + " sendhex " + body["hex"].toString().toStdString());
    }
    return Usage(R"(POST /api/serial/N {"text":"TEXT"} | {"hex":"HEX"})");
}

} // namespace qx44
