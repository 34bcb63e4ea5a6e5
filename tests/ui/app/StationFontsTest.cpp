#include "ui/app/StationFonts.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <QFile>
#include <QFontDatabase>
#include <filesystem>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::TempDir;

std::string Resource(const char* name) {
    QFile file(QStringLiteral(":/fonts/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// A user's own copy of a face stays; the missing ones arrive, in a folder made for them, and the
// running program knows all three faces at once.
TEST(StationFontsTest, InstallsMissingFilesKeepsTheUsersAndRegistersTheFaces) {
    uitest::EnsureApplication();
    TempDir dir;
    const test::ScopedEnv dataHome("XDG_DATA_HOME", dir.Path());
    const std::string folder = dir.File("fonts");
    std::filesystem::create_directories(folder);
    TempDir::WriteText(folder + "/ASCII.ttf", "the user's own");

    InstallStationFonts();

    for (const char* name : {"ASCII-VGA.ttf", "ASCII-EGA.ttf"}) {
        const std::string installed = TempDir::ReadText(folder + "/" + name);
        EXPECT_GT(installed.size(), 1000u) << name;
        EXPECT_EQ(installed, Resource(name)) << name;
    }
    EXPECT_EQ(TempDir::ReadText(folder + "/ASCII.ttf"), "the user's own");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3)
        << "no temporary files left behind";

    const QStringList families = QFontDatabase::families();
    for (const char* family : {"ASCII VGA", "ASCII EGA", "ASCII"}) {
        EXPECT_TRUE(families.contains(QString::fromLatin1(family))) << family;
    }
}

} // namespace
} // namespace qx44
