#include "ui/app/StationFonts.h"

#include "platform/UserFontFolder.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QString>
#include <array>
#include <vector>

namespace qx44 {

namespace {

// The bitmap-style faces first, then the TrueType family, as the station installs them.
constexpr std::array kFontFiles = {"ASCII-VGA.ttf", "ASCII-EGA.ttf", "ASCII.ttf"};

QString ResourcePath(const char* name) {
    return QStringLiteral(":/fonts/") + QString::fromLatin1(name);
}

} // namespace

void InstallStationFonts() {
    std::vector<QByteArray> contents;
    std::vector<UserFontFolder::FontFile> files;
    contents.reserve(kFontFiles.size());
    for (const char* name : kFontFiles) {
        QFile resource(ResourcePath(name));
        if (!resource.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray& bytes = contents.emplace_back(resource.readAll());
        if (!bytes.isEmpty()) {
            files.push_back({name, {bytes.constData(), std::size_t(bytes.size())}});
        }
    }
    UserFontFolder::Install(UserFontFolder::Path(), files);

    // A second registration would list every face twice.
    static bool registered = false;
    if (!registered) {
        registered = true;
        for (const char* name : kFontFiles) {
            QFontDatabase::addApplicationFont(ResourcePath(name));
        }
    }
}

} // namespace qx44
