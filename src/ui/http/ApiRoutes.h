#pragma once

#include "core/control/ControlReply.h"
#include "ui/http/HttpReply.h"

#include <QHttpServerRequest>
#include <QImage>
#include <QJsonObject>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qx44 {

// The JSON API under /api/: each route builds one control command line from the request and
// runs it through the same command table as the control port, so the answers and errors are
// the control port's: its reply as the body, 400 with it when the reply is an error.
class ApiRoutes {
public:
    using Runner = std::function<ControlReply(std::string_view line)>;
    using PictureSource = std::function<QImage()>;

    ApiRoutes(Runner run, PictureSource picture)
        : run_(std::move(run)), picture_(std::move(picture)) {}

    // True when the path is one of the API's, whatever the method.
    static bool Covers(const QString& path) { return path.startsWith("/api/"); }
    // 404 for a path it does not know, 405 for a method the path does not take.
    HttpReply Answer(const QHttpServerRequest& request) const;

private:
    using Method = QHttpServerRequest::Method;
    struct Route {
        QString path;
        // The path names a family: /api/serial/N.
        bool prefix;
        Method method;
        std::function<HttpReply(const ApiRoutes&, const QHttpServerRequest&, QStringView rest)>
            answer;
    };
    static const std::vector<Route>& Routes();

    HttpReply Run(const std::string& line) const;
    HttpReply Snap() const;
    HttpReply Keys(const QJsonObject& body) const;
    HttpReply Click(const QJsonObject& body) const;
    HttpReply PrinterState(const QJsonObject& body) const;
    HttpReply SerialSend(QStringView port, const QJsonObject& body) const;

    Runner run_;
    PictureSource picture_;
};

} // namespace qx44
