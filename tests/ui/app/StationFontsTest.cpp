#include "ui/app/StationFonts.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/UiTestSupport.h"

#include <QFile>
#include <QFontDatabase>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::TempDir;

std::string Resource(const char* name) {
    QFile file(QStringLiteral(":/fonts/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Fontconfig as the test sets it up: one font folder, `system`, standing for the fonts of the
// machine, and the user's data in `data`. Qt reads fontconfig once, before the test moves it.
class StationFontsTest : public testing::Test {
protected:
    StationFontsTest() {
        uitest::EnsureApplication();
        QFontDatabase::families();
        std::filesystem::create_directories(system);
        TempDir::WriteText(dir.File("fonts.conf"),
                           "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                           "<fontconfig><dir>" +
                               system + "</dir><cachedir>" + dir.File("cache") +
                               "</cachedir></fontconfig>\n");
    }

    TempDir dir;
    std::string system = dir.File("system");
    std::string folder = dir.File("data/fonts");
    test::ScopedEnv config{"FONTCONFIG_FILE", dir.File("fonts.conf")};
    test::ScopedEnv dataHome{"XDG_DATA_HOME", dir.File("data")};
};

// A user's own copy of a face stays; the missing ones arrive, in a folder made for them, and the
// running program knows all three faces at once.
TEST_F(StationFontsTest, InstallsMissingFilesKeepsTheUsersAndRegistersTheFaces) {
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

// The package puts the faces where fontconfig finds them: the user gets no copies of their own,
// which would outlive the package. With one face missing, that one alone is copied.
TEST_F(StationFontsTest, InstallsNothingWhenFontconfigKnowsEveryFace) {
    const struct {
        std::vector<const char*> installed;
        std::vector<std::string> copied;
    } cases[] = {
        {{"ASCII-VGA.ttf", "ASCII-EGA.ttf", "ASCII.ttf"}, {}},
        {{"ASCII-VGA.ttf", "ASCII.ttf"}, {"ASCII-EGA.ttf"}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(system);
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(system);
        for (const char* name : c.installed) {
            TempDir::WriteText(system + "/" + name, Resource(name));
        }
        InstallStationFonts();
        std::vector<std::string> copied;
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
            copied.push_back(entry.path().filename().string());
        }
        std::ranges::sort(copied);
        EXPECT_EQ(copied, c.copied) << c.installed.size() << " installed";
    }
}

} // namespace
} // namespace qx44
