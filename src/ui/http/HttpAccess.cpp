#include "ui/http/HttpAccess.h"

#include "core/common/SecretText.h"

#include <QList>

namespace qx44 {

bool HttpAccess::Matches(const QByteArray& offered) const {
    return SecretText::Matches(std::string_view(offered.constData(), offered.size()), token_);
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
