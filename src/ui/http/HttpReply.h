#pragma once

#include <QByteArray>
#include <utility>
#include <vector>

namespace qx44 {

// One answer of the web server before it is written: status, body and the headers beside
// Content-Type and Content-Length.
struct HttpReply {
    int status = 200;
    QByteArray contentType = "application/json";
    QByteArray body;
    std::vector<std::pair<QByteArray, QByteArray>> headers;

    static HttpReply Json(int status, QByteArray json) {
        return {status, "application/json", std::move(json), {}};
    }
    // A control-style error object: {"ok":false,"error":"..."}.
    static HttpReply Error(int status, std::string_view message);
};

} // namespace qx44
