#include "core/settings/IniFile.h"

#include "core/settings/SettingsCheck.h"
#include "support/ForkedCall.h"
#include "support/RecordingLog.h"
#include "support/TempDir.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
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

TEST_F(IniFileTest, WriteIntoAFolderThatCannotExistIsIgnoredAndLogged) {
    TempDir::WriteText(dir.File("plain"), "not a folder");
    IniFile blocked(dir.File("plain/setting.txt"));
    test::RecordingLog log;
    EXPECT_FALSE(blocked.WriteInt("Main", "Pitch", 1000));
    EXPECT_EQ(blocked.ReadInt("Main", "Pitch", 2200), 2200);
    EXPECT_EQ(log.TakeLines(), std::vector<std::string>{"cannot write Main/Pitch to " +
                                                        dir.File("plain/setting.txt") +
                                                        ": Not a directory; the setting keeps "
                                                        "its value"});
}

// The file is written where it stands, as the profile functions write it: the same file, so
// its owner, mode and other names stay, and its owner may save where they may not make files.
TEST_F(IniFileTest, WriteKeepsTheFileItselfAndNeedsNoRightsInItsFolder) {
    TempDir::WriteText(path, "[Main]\nPitch=1\n");
    ::chmod(path.c_str(), 0640);
    const auto nobody = test::Nobody();
    const bool root = ::geteuid() == 0 && nobody;
    if (root) {
        ASSERT_EQ(::chown(path.c_str(), nobody->first, nobody->second), 0);
    }
    std::filesystem::create_hard_link(path, dir.File("other-name.txt"));
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_TRUE(ini.WriteInt("Main", "Pitch", 2));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(TempDir::ReadText(dir.File("other-name.txt")), "[Main]\nPitch=2\n");

    // A kiosk user's file in a folder of root's: root is never refused, so nobody writes.
    ::chmod(dir.Path().c_str(), 0755);
    const auto saved = test::ForkedCall(
        [&] {
            if (!root) {
                ::chmod(dir.Path().c_str(), 0555);
            }
            const bool folderRefused = ::access(dir.Path().c_str(), W_OK) != 0;
            return std::string(folderRefused ? "" : "folder writable ") +
                   (IniFile(path).WriteInt("Main", "Pitch", 3) ? "saved" : "refused");
        },
        root);
    ::chmod(dir.Path().c_str(), 0700);
    ASSERT_TRUE(saved.has_value());
    if (saved->starts_with("folder writable")) {
        GTEST_SKIP() << "permission bits are not enforced for this user";
    }
    EXPECT_EQ(*saved, "saved");
    EXPECT_EQ(ini.ReadInt("Main", "Pitch", 0), 3);
}

// A writer killed at any moment of a write leaves a file that reads as before the write or after
// it, every other key intact, and the next write leaves a plain text file again.
TEST_F(IniFileTest, WriterKilledMidWriteLeavesTheOldOrTheNewFile) {
    const std::string longValue(5000, 'L');
    std::string tail;
    for (int i = 0; i < 200; ++i) {
        tail += "Key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    }
    TempDir::WriteText(path, "[Main]\nDevName=short\n" + tail);
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        const pid_t writer = ::fork();
        if (writer == 0) {
            for (int i = 0;; ++i) {
                IniFile(path).WriteString("Main", "DevName", i % 2 == 0 ? longValue : "short");
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        ::kill(writer, SIGKILL);
        ::waitpid(writer, nullptr, 0);
        const std::string name = IniFile(path).Read("Main", "DevName").value_or("(missing)");
        ASSERT_TRUE(name == "short" || name == longValue) << "round " << round << ": " << name;
        for (int i = 0; i < 200; i += 37) {
            ASSERT_EQ(ini.ReadInt("Main", "Key" + std::to_string(i), -1), i) << "round " << round;
        }
    }
    ASSERT_TRUE(ini.WriteString("Main", "DevName", "plain"));
    EXPECT_EQ(TempDir::ReadText(path), "[Main]\nDevName=plain\n" + tail);
}

// What a settings path may name that is no settings file: each reads as the defaults at once
// and is refused for writing, and the start-up check says why.
TEST_F(IniFileTest, OnlyARegularFileUpToOneMebibyteIsRead) {
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    const std::string key = "[Net]\nPortNum=1234\n";
    TempDir::WriteText(dir.File("big.txt"), key + std::string(30 << 20, ';'));
    TempDir::WriteText(dir.File("over.txt"), key + std::string(IniFile::kMaxFileSize, ';'));
    TempDir::WriteText(dir.File("bound.txt"),
                       key + std::string(IniFile::kMaxFileSize - key.size(), ';'));
    const std::string notAFile =
        "8888 refused | using FILE | cannot read the settings file FILE: not a regular "
        "file; every setting has its default | cannot write Main/Pitch to "
        "FILE: not a regular file; the setting keeps its value";
    const std::string tooBig =
        "8888 refused | using FILE | cannot read the settings file FILE: larger than 1024 "
        "KiB; every setting has its default | cannot write Main/Pitch to "
        "FILE: larger than 1024 KiB; the setting keeps its value";
    const struct {
        std::string file;
        std::string expected;
    } cases[] = {
        {"/dev/zero", notAFile},
        {dir.File("fifo"), notAFile},
        {dir.Path(), notAFile},
        {dir.File("big.txt"), tooBig},
        {dir.File("over.txt"), tooBig},
        {dir.File("bound.txt"),
         "1234 refused | using FILE | cannot write Main/Pitch to FILE: larger than 1024 "
         "KiB; the setting keeps its value"},
    };
    for (const auto& c : cases) {
        const auto result = test::ForkedCall(
            [&] {
                test::RecordingLog log;
                SettingsCheck::Run(c.file);
                IniFile file(c.file);
                std::string text = std::to_string(file.ReadInt("Net", "PortNum", 8888));
                text += file.WriteInt("Main", "Pitch", 1) ? " saved" : " refused";
                for (std::string line : log.TakeLines()) {
                    if (const auto at = line.find(c.file); at != std::string::npos) {
                        line.replace(at, c.file.size(), "FILE");
                    }
                    text += " | " + line;
                }
                return text;
            },
            false, std::chrono::seconds(5));
        EXPECT_EQ(result.value_or("(hung or crashed)"), c.expected) << c.file;
    }
}

// Root is refused nothing, so as root the cases run as nobody.
TEST_F(IniFileTest, RefusedWriteKeepsTheOldValue) {
    const struct {
        const char* what;
        bool fileExists;
        std::string target;
        mode_t mode;
    } cases[] = {{"read-only file", true, path, 0444},
                 {"no file yet in a read-only folder", false, dir.Path(), 0500}};
    const auto nobody = test::Nobody();
    const bool root = ::geteuid() == 0 && nobody;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ::unlink(path.c_str());
        if (c.fileExists) {
            ASSERT_TRUE(ini.WriteInt("Main", "Pitch", 1000));
        }
        if (root) {
            ASSERT_EQ(::chown(dir.Path().c_str(), nobody->first, nobody->second), 0);
            ASSERT_TRUE(!c.fileExists || ::chown(path.c_str(), nobody->first, nobody->second) == 0);
        }
        const auto result = test::ForkedCall(
            [&] {
                ::chmod(c.target.c_str(), c.mode);
                const std::string probe = c.fileExists ? path : dir.File("probe");
                if (const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT, 0644); fd >= 0) {
                    ::close(fd);
                    return std::string("not enforced");
                }
                const bool written = IniFile(path).WriteInt("Main", "Pitch", 3000);
                return std::string(written ? "written " : "refused ") +
                       std::to_string(IniFile(path).ReadInt("Main", "Pitch", 0));
            },
            root);
        ::chmod(c.target.c_str(), c.fileExists ? 0644 : 0700);
        ASSERT_TRUE(result.has_value());
        if (*result == "not enforced") {
            GTEST_SKIP() << "permission bits are not enforced for this user";
        }
        EXPECT_EQ(*result, c.fileExists ? "refused 1000" : "refused 0");
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
