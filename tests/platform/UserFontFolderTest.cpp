#include "platform/UserFontFolder.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(UserFontFolderTest, FollowsTheXdgDataHomeOrTheHomeFolder) {
    const struct {
        std::optional<std::string> dataHome;
        std::optional<std::string> home;
        std::string folder;
    } cases[] = {
        {"/data", "/home/u", "/data/fonts"},
        {std::nullopt, "/home/u", "/home/u/.local/share/fonts"},
        {"", "/home/u", "/home/u/.local/share/fonts"},
        {"relative/data", "/home/u", "/home/u/.local/share/fonts"},
    };
    for (const auto& c : cases) {
        const ScopedEnv dataHome("XDG_DATA_HOME", c.dataHome);
        const ScopedEnv home("HOME", c.home);
        EXPECT_EQ(UserFontFolder::Path(), c.folder) << c.dataHome.value_or("(unset)");
    }
}

TEST(UserFontFolderTest, AFolderThatCannotBeMadeInstallsNothingAndSaysNothing) {
    TempDir dir;
    TempDir::WriteText(dir.File("fonts"), "a file, not a folder");
    const UserFontFolder::FontFile files[] = {{"A.ttf", "font"}};
    UserFontFolder::Install(dir.File("fonts"), files);
    UserFontFolder::Install("", files);
    EXPECT_EQ(TempDir::ReadText(dir.File("fonts")), "a file, not a folder");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

} // namespace
} // namespace qx44
