#include "ui/app/StationFonts.h"

#include "platform/FontconfigFamilies.h"
#include "platform/UserFontFolder.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QString>
#include <algorithm>
#include <array>
#include <set>
#include <string_view>
#include <vector>

namespace qx44 {

namespace {

struct StationFont {
    const char* file;
    std::string_view family;
};

// The bitmap-style faces first, then the TrueType family, as the station installs them.
constexpr std::array<StationFont, 3> kFonts = {{
    {.file = "ASCII-VGA.ttf", .family = "ASCII VGA"},
    {.file = "ASCII-EGA.ttf", .family = "ASCII EGA"},
    {.file = "ASCII.ttf", .family = "ASCII"},
}};

QString ResourcePath(const char* name) {
    return QStringLiteral(":/fonts/") + QString::fromLatin1(name);
}

} // namespace

void InstallStationFonts() {
    std::array<std::string_view, kFonts.size()> families;
    std::ranges::transform(kFonts, families.begin(), &StationFont::family);
    // Faces fontconfig offers already (the installed package's, or copies an earlier start
    // made) every program has, this one included; copies of the package's would outlive it.
    const std::vector<std::string_view> missing = FontconfigFamilies::Missing(families);

    // A second registration would list a face twice.
    static std::set<std::string_view> registered;
    std::vector<QByteArray> contents;
    std::vector<UserFontFolder::FontFile> files;
    contents.reserve(kFonts.size());
    for (const StationFont& font : kFonts) {
        if (std::ranges::find(missing, font.family) == missing.end()) {
            continue;
        }
        QFile resource(ResourcePath(font.file));
        if (!resource.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QByteArray& bytes = contents.emplace_back(resource.readAll());
        if (!bytes.isEmpty()) {
            files.push_back({font.file, {bytes.constData(), std::size_t(bytes.size())}});
        }
        if (registered.insert(font.file).second) {
            QFontDatabase::addApplicationFont(ResourcePath(font.file));
        }
    }
    if (!files.empty()) {
        UserFontFolder::Install(UserFontFolder::Path(), files);
    }
}

} // namespace qx44
