#include "core/settings/IniFile.h"

#include "support/TempDir.h"

#include <atomic>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qx44 {
using test::TempDir;

namespace {

struct IniFileTest : testing::Test {
    TempDir dir;
    std::string path = dir.File("setting.txt");
    IniFile ini{path};
};

TEST_F(IniFileTest, IntegerIsTheLeadingDecimalNumber) {
    const struct {
        std::string_view text;
        int expected;
    } cases[] = {{"12xyz", 12},
                 {"abc", 0},
                 {"-7", -7},
                 {"+3", 3},
                 {"  42  ", 42},
                 {"", 0},
                 {"\"\"", 0},
                 {"0x1F", 0},
                 {"- 4", 0},
                 {"\"17\"", 17},
                 {"99999999999", INT_MAX},
                 {"-99999999999", INT_MIN}};
    for (const auto& c : cases) {
        TempDir::WriteText(path, "[S]\nK=" + std::string(c.text) + "\n");
        EXPECT_EQ(ini.ReadInt("S", "K", 5), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(ini.ReadInt("S", "Missing", 5), 5);
}

TEST_F(IniFileTest, StringCutNeverSplitsACharacter) {
    std::string accented;
    for (int i = 0; i < 300; ++i) {
        accented += "\xC3\xA9";
    }
    TempDir::WriteText(path, "[S]\nK=" + accented + "\n");
    EXPECT_EQ(ini.ReadString("S", "K", ""), accented.substr(0, 2 * 255));
}

TEST_F(IniFileTest, WritesKeepTheRestOfTheFileInPlace) {
    TempDir::WriteText(path, "; station A\n[Main]\nPitch = 100\n# device\nDevName=Front\n\n"
                             "[Net]\nPortNum=1\n");
    EXPECT_TRUE(ini.WriteInt("MAIN", "pitch", 2200));
    EXPECT_TRUE(ini.WriteString("Main", "UsbMap", "4"));
    EXPECT_TRUE(ini.WriteInt("Font", "Weight", 400));
    EXPECT_EQ(TempDir::ReadText(path),
              "; station A\n[Main]\nPitch = 2200\n# device\nDevName=Front\n"
              "UsbMap=4\n\n[Net]\nPortNum=1\n[Font]\nWeight=400\n");
}

TEST_F(IniFileTest, WritesFollowTheFileLineEnds) {
    TempDir::WriteText(path, "[Main]\r\nPitch=1");
    EXPECT_TRUE(ini.WriteString("Main", "DevName", "Lane 2"));
    EXPECT_TRUE(ini.WriteInt("Main", "Pitch", 2));
    EXPECT_TRUE(ini.WriteInt("Net", "PortNum", 3));
    EXPECT_EQ(TempDir::ReadText(path),
              "[Main]\r\nPitch=2\r\nDevName=Lane 2\r\n[Net]\r\nPortNum=3\r\n");
}

TEST_F(IniFileTest, WriteIntoAFolderThatCannotExistIsIgnored) {
    TempDir::WriteText(dir.File("plain"), "not a folder");
    IniFile blocked(dir.File("plain/setting.txt"));
    EXPECT_FALSE(blocked.WriteInt("Main", "Pitch", 1000));
    EXPECT_EQ(blocked.ReadInt("Main", "Pitch", 2200), 2200);
}

TEST_F(IniFileTest, RefusedWriteKeepsTheOldValue) {
    const struct {
        const char* what;
        std::string target;
        mode_t mode;
    } cases[] = {{"read-only file", path, 0444}, {"read-only folder", dir.Path(), 0500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(ini.WriteInt("Main", "Pitch", 1000));
        ::chmod(c.target.c_str(), c.mode);
        const std::string probe = c.mode == 0444 ? path : dir.File("probe");
        const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd >= 0) {
            ::close(fd);
            GTEST_SKIP() << "permission bits are not enforced for this user";
        }
        EXPECT_FALSE(ini.WriteInt("Main", "Pitch", 3000));
        EXPECT_EQ(ini.ReadInt("Main", "Pitch", 0), 1000);
        ::chmod(c.target.c_str(), c.mode == 0444 ? 0644 : 0700);
    }
}

TEST_F(IniFileTest, WriteThroughASymbolicLinkKeepsTheLink) {
    TempDir::WriteText(dir.File("real.txt"), "[Main]\nPitch=1\n");
    std::filesystem::create_symlink("real.txt", path);
    EXPECT_TRUE(ini.WriteInt("Main", "Pitch", 2));
    EXPECT_TRUE(std::filesystem::is_symlink(path));
    EXPECT_EQ(TempDir::ReadText(dir.File("real.txt")), "[Main]\nPitch=2\n");
}

TEST_F(IniFileTest, ReaderNeverSeesAHalfWrittenFile) {
    ASSERT_TRUE(ini.WriteString("Main", "DevName", "Keep"));
    std::atomic<bool> writing{true};
    int misses = 0;
    std::thread reader([&] {
        IniFile own(path);
        while (writing) {
            misses += own.ReadString("Main", "DevName", "") != "Keep";
        }
    });
    for (int i = 0; i < 400; ++i) {
        EXPECT_TRUE(ini.WriteString("Net", "Filler" + std::to_string(i % 40), std::string(i, 'f')));
    }
    writing = false;
    reader.join();
    EXPECT_EQ(misses, 0);
}

TEST_F(IniFileTest, ConcurrentWritersLoseNoKey) {
    const auto writeKeys = [this](std::string_view section) {
        IniFile own(path);
        for (int i = 0; i < 100; ++i) {
            own.WriteInt(section, "Key" + std::to_string(i), i);
        }
    };
    std::thread first(writeKeys, "A");
    std::thread second(writeKeys, "B");
    first.join();
    second.join();
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(ini.ReadInt("A", "Key" + std::to_string(i), -1), i);
        EXPECT_EQ(ini.ReadInt("B", "Key" + std::to_string(i), -1), i);
    }
}

} // namespace

} // namespace qx44
