#pragma once

#include <QByteArray>
#include <string>

namespace qx44 {

// Who may use the web server: with a token set, a request must carry it in the X-QX44-Token
// header or the qx44token cookie; a WebSocket may be opened only by this server's own pages
// (or by a program that sends no Origin at all).
class HttpAccess {
public:
    static constexpr const char* kCookie = "qx44token";

    explicit HttpAccess(std::string token) : token_(std::move(token)) {}

    bool HasToken() const { return !token_.empty(); }
    bool Matches(const QByteArray& offered) const;
    // `header`: X-QX44-Token's value; `cookies`: the Cookie header's.
    bool Admits(const QByteArray& header, const QByteArray& cookies) const;
    // The cookie that carries the token from now on.
    QByteArray TokenCookie() const;

    // True for no Origin, or one naming the host and port the request was sent to.
    static bool IsOwnOrigin(const QByteArray& origin, const QByteArray& host);

private:
    std::string token_;
};

} // namespace qx44
