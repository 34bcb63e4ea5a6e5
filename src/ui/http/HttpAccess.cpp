#include "ui/http/HttpAccess.h"

#include <QList>

namespace qx44 {

bool HttpAccess::Matches(const QByteArray& offered) const {
    if (static_cast<std::size_t>(offered.size()) != token_.size()) {
        return false;
    }
    // Every byte is compared, so the time taken tells nothing of where a guess went wrong.
    unsigned char difference = 0;
    for (std::size_t i = 0; i < token_.size(); ++i) {
        difference |= static_cast<unsigned char>(offered[static_cast<qsizetype>(i)] ^ token_[i]);
    }
    return difference == 0;
}

bool HttpAccess::Admits(const QByteArray& header, const QByteArray& cookies) const {
    if (!HasToken() || Matches(header)) {
        return true;
    }
    for (const QByteArray& cookie : cookies.split(';')) {
        const QByteArray pair = cookie.trimmed();
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0 && pair.left(equals) == kCookie && Matches(pair.mid(equals + 1))) {
            return true;
        }
    }
    return false;
}

QByteArray HttpAccess::TokenCookie() const {
    return QByteArray(kCookie) + "=" + QByteArray::fromStdString(token_) +
           "; Path=/; HttpOnly; SameSite=Strict";
}

bool HttpAccess::IsOwnOrigin(const QByteArray& origin, const QByteArray& host) {
    return origin.isEmpty() ||
           (!host.isEmpty() && origin.compare("http://" + host, Qt::CaseInsensitive) == 0);
}

} // namespace qx44
