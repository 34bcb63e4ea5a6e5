#include "core/settings/SettingsLocation.h"

#include "core/settings/CQX44Setting.h"
#include "support/ForkedCall.h"
#include "support/RecordingLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx44 {
namespace {

using test::TempDir;

// Where an installed program (a folder its user cannot write) and a program in a build folder
// keep their settings. Run as nobody, since root may write every folder.
TEST(SettingsLocationTest, ProgramFolderWhileItCanBeSavedThereElseTheUsersConfigFolder) {
    TempDir dir;
    const auto nobody = test::Nobody();
    const bool root = ::geteuid() == 0 && nobody;
    ::chmod(dir.Path().c_str(), 0755);
    for (const char* folder : {"installed", "own", "with-file"}) {
        ::mkdir(dir.File(folder).c_str(), 0755);
    }
    TempDir::WriteText(dir.File("with-file/setting.txt"), "");
    if (root) {
        ASSERT_EQ(::chown(dir.File("own").c_str(), nobody->first, nobody->second), 0);
        ASSERT_EQ(::chown(dir.File("with-file/setting.txt").c_str(), nobody->first, 0), 0);
    }
    const std::string installed = dir.File("installed/");
    const struct {
        std::string programFolder;
        const char* configHome;
        const char* home;
        std::string expected;
    } cases[] = {
        {installed, "/cfg", "/home/kiosk", "/cfg/qx44sim/setting.txt per user"},
        {installed, nullptr, "/home/kiosk", "/home/kiosk/.config/qx44sim/setting.txt per user"},
        {installed, "relative", "/home/kiosk", "/home/kiosk/.config/qx44sim/setting.txt per user"},
        {installed, nullptr, nullptr, installed + "setting.txt beside"},
        {dir.File("own/"), "/cfg", "/home/kiosk", dir.File("own/setting.txt") + " beside"},
        {dir.File("with-file/"), "/cfg", "/h", dir.File("with-file/setting.txt") + " beside"},
    };
    const auto chosen = test::ForkedCall(
        [&] {
            if (!root) {
                ::chmod(dir.File("installed").c_str(), 0555);
                ::chmod(dir.File("with-file").c_str(), 0555);
            }
            if (::access(dir.File("installed").c_str(), W_OK) == 0) {
                return std::string("not enforced");
            }
            std::string text;
            for (const auto& c : cases) {
                const auto choice = SettingsLocation::Choose(c.programFolder, c.configHome, c.home);
                text += choice.path + (choice.perUser ? " per user\n" : " beside\n");
            }
            return text;
        },
        root);
    ASSERT_TRUE(chosen.has_value());
    if (*chosen == "not enforced") {
        GTEST_SKIP() << "permission bits are not enforced for this user";
    }
    std::string expected;
    for (const auto& c : cases) {
        expected += c.expected + "\n";
    }
    EXPECT_EQ(*chosen, expected);
    EXPECT_EQ(SettingsLocation::ExampleFile("/usr/bin/"), "/usr/bin/../share/qx44sim/setting.txt");
}

// The first start makes the user's file, and its folders, from the example; later starts keep
// what the user saved.
TEST(SettingsLocationTest, UsersFileIsMadeFromTheExampleOnce) {
    TempDir dir;
    const std::string example = dir.File("example.txt");
    TempDir::WriteText(example, "; example\n[Main]\nPitch=1234\n");
    const SettingsLocation::Choice choice{dir.File("config/qx44sim/setting.txt"), true};
    test::RecordingLog log;
    SettingsLocation::Prepare(choice, example);
    EXPECT_EQ(TempDir::ReadText(choice.path), "; example\n[Main]\nPitch=1234\n");
    EXPECT_EQ(log.TakeLines(), std::vector<std::string>{"made the settings file " + choice.path +
                                                        " from " + example});

    CQX44Setting(choice.path).SetPitch(999);
    SettingsLocation::Prepare(choice, example);
    EXPECT_EQ(CQX44Setting(choice.path).GetPitch(), 999);
    EXPECT_TRUE(log.TakeLines().empty());

    // Without an example the folder is still made, so the first saved setting has a place.
    const SettingsLocation::Choice bare{dir.File("bare/qx44sim/setting.txt"), true};
    SettingsLocation::Prepare(bare, dir.File("missing.txt"));
    CQX44Setting(bare.path).SetPitch(777);
    EXPECT_EQ(CQX44Setting(bare.path).GetPitch(), 777);
}

} // namespace
} // namespace qx44
