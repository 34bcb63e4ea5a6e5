#include "ui/http/WebPages.h"

#include <QFile>
#include <array>

namespace qx44 {

namespace {

struct PageFile {
    const char* path;
    const char* resource;
    const char* type;
    // A fleet page on another port shows the tile in a frame; every other page refuses frames,
    // so no other site can lay its own page over the station's keys.
    bool framable;
};

constexpr std::array kPages = {
    PageFile{"/", ":/web/index.html", "text/html; charset=utf-8", false},
    PageFile{"/tile", ":/web/tile.html", "text/html; charset=utf-8", true},
    PageFile{"/station.js", ":/web/station.js", "text/javascript; charset=utf-8", false},
    PageFile{"/station.css", ":/web/station.css", "text/css; charset=utf-8", false},
};

} // namespace

std::optional<HttpReply> WebPages::Page(const QString& path) {
    for (const PageFile& page : kPages) {
        if (path != page.path) {
            continue;
        }
        QFile file(page.resource);
        if (!file.open(QIODevice::ReadOnly)) {
            return HttpReply::Error(500, std::string("missing resource ") + page.resource);
        }
        HttpReply reply{200, page.type, file.readAll(), {}};
        QByteArray policy = "default-src 'self'; img-src 'self' blob: data:";
        if (!page.framable) {
            policy += "; frame-ancestors 'none'";
            reply.headers.emplace_back("X-Frame-Options", "DENY");
        }
        reply.headers.emplace_back("Content-Security-Policy", policy);
        return reply;
    }
    return std::nullopt;
}

} // namespace qx44
