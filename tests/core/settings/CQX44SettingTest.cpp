#include "core/settings/CQX44Setting.h"

#include "core/settings/IDisplayInfo.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace qx44 {
using test::TempDir;

namespace {

template <class... Values> std::string Show(const Values&... values) {
    std::ostringstream text;
    ((text << values << ' '), ...);
    std::string shown = text.str();
    shown.pop_back();
    return shown;
}

using S = CQX44Setting;

struct Accessor {
    const char* name;
    std::function<std::string(const S&)> get;
    std::function<void(S&)> set;
    std::string defaultValue;
    std::string setValue;
};

template <class R> auto Get(R (S::*get)() const) {
    return [get](const S& s) { return Show((s.*get)()); };
}

template <class T, class V> auto Set(void (S::*set)(T), V value) {
    return [set, value](S& s) { (s.*set)(value); };
}

auto GetSerial(int port) {
    return [port](const S& s) {
        int baud = 0, parity = 0, bits = 0, flow = 0;
        s.GetSerial(port, baud, parity, bits, flow);
        return Show(baud, parity, bits, flow);
    };
}

auto GetVideoKeys(bool secondSet) {
    return [secondSet](const S& s) {
        CVideoKeys k;
        const bool read = s.GetVideoKeys(k, secondSet);
        return Show(read, k.playPause, k.forward, k.backward, k.zoomIn, k.zoomOut, k.volumeUp,
                    k.volumeDown, k.prevClip, k.nextClip, k.stop);
    };
}

auto GetKeySet(bool (S::*get)(uint32_t&, uint32_t&) const) {
    return [get](const S& s) {
        uint32_t first = 0, second = 0;
        const bool read = (s.*get)(first, second);
        return Show(read, first, second);
    };
}

std::string GetMargins(const S& s) {
    int height = 0, width = 0;
    s.GetMargins(height, width);
    return Show(height, width);
}

// Each setter stores a value unlike its default, so the round trip also shows that no two
// accessors share a key.
const std::vector<Accessor> kAccessors{
    {"PortNum", Get(&S::GetPortNum), Set(&S::SetPortNum, 9100), "8888", "9100"},
    {"Serial1", GetSerial(1), [](S& s) { s.SetSerial(1, 4800, 2, 7, 1); }, "9600 0 8 0",
     "4800 2 7 1"},
    {"Serial2", GetSerial(2), [](S& s) { s.SetSerial(2, 19200, 1, 8, 0); }, "9600 0 8 0",
     "19200 1 8 0"},
    {"Beeping", Get(&S::GetBeeping), Set(&S::SetBeeping, false), "1", "0"},
    {"StatusLn", Get(&S::GetStatusLn), Set(&S::SetStatusLn, false), "1", "0"},
    {"Pitch", Get(&S::GetPitch), Set(&S::SetPitch, 1000), "2200", "1000"},
    {"Address", Get(&S::GetAddress), [](S&) {}, "1", "1"},
    {"DevName", Get(&S::GetDevName), Set(&S::SetDevName, "Lane 7"), "QX4400", "Lane 7"},
    {"UsbMap", Get(&S::GetUsbMap), Set(&S::SetUsbMap, 5), "3", "5"},
    {"UsbEnabled", Get(&S::GetUsbEnabled), Set(&S::SetUsbEnabled, true), "0", "1"},
    {"EnVideo", Get(&S::GetEnVideo), Set(&S::SetEnVideo, false), "1", "0"},
    {"TestSources", Get(&S::GetTestSources), [](S& s) { s.WriteInt("Video", "TestSources", 1); },
     "0", "1"},
    {"PrinterDir", Get(&S::GetPrinterDir), Set(&S::SetPrinterDir, "receipts"), "", "receipts"},
    {"PrinterDirMaxFiles", Get(&S::GetPrinterDirMaxFiles), Set(&S::SetPrinterDirMaxFiles, 50),
     "1000", "50"},
    {"PrinterDirMaxKiB", Get(&S::GetPrinterDirMaxKiB), Set(&S::SetPrinterDirMaxKiB, 512), "65536",
     "512"},
    {"VideoKeys", GetVideoKeys(false),
     [](S& s) {
         s.SetVideoKeys({65, 66, 67, 68, 69, 70, 71, 72, 73, 74}, false);
     },
     "1 49 51 50 55 54 57 56 52 53 48", "1 65 66 67 68 69 70 71 72 73 74"},
    {"VideoKeys1", GetVideoKeys(true),
     [](S& s) {
         s.SetVideoKeys({112, 113, 114, 115, 116, 117, 118, 119, 120, 121}, true);
     },
     "1 0 0 0 0 0 0 0 0 0 0", "1 112 113 114 115 116 117 118 119 120 121"},
    {"FontName", Get(&S::GetFontName), Set(&S::SetFontName, "Fixedsys"), "Courier New", "Fixedsys"},
    {"Margins", GetMargins, [](S& s) { s.SetMargins(2, 4); }, "3 3", "2 4"},
    {"Weight", Get(&S::GetWeight), Set(&S::SetWeight, 400), "700", "400"},
    {"LocalVideoEnable", Get(&S::GetLocalVideoEnable), Set(&S::SetLocalVideoEnable, false), "1",
     "0"},
    {"Folder", Get(&S::GetFolder), Set(&S::SetFolder, "D:\\Cards\\"), ".\\", "D:\\Cards\\"},
    {"KeySet1", GetKeySet(&S::GetKeySet1), [](S& s) { s.SetKeySet1(18, 49); }, "1 17 52",
     "1 18 49"},
    {"KeySet2", GetKeySet(&S::GetKeySet2), [](S& s) { s.SetKeySet2(112, 0); }, "1 13 32",
     "1 112 0"},
    {"Auto", Get(&S::GetAuto), Set(&S::SetAuto, false), "1", "0"},
    {"AtSecs", Get(&S::GetAtSecs), Set(&S::SetAtSecs, 25), "10", "25"},
};

struct SettingTest : testing::Test {
    TempDir dir;
    std::string path = dir.File("setting.txt");
    CQX44Setting settings{path};
};

TEST_F(SettingTest, EveryGetterGivesItsDefaultWithoutAFile) {
    for (const Accessor& a : kAccessors) {
        EXPECT_EQ(a.get(settings), a.defaultValue) << a.name;
    }
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading created the file";
}

TEST_F(SettingTest, EverySetterIsSeenByANewObject) {
    for (const Accessor& a : kAccessors) {
        a.set(settings);
    }
    const CQX44Setting reader(path);
    for (const Accessor& a : kAccessors) {
        EXPECT_EQ(a.get(reader), a.setValue) << a.name;
    }
}

TEST_F(SettingTest, HandEditedFileReadsAsTheStationDid) {
    TempDir::WriteText(path,
                       "\xEF\xBB\xBF[ main ]\r\n; edited on site\r\n  Beeping = 2 \r\nPitch=abc\r\n"
                       "UsbMap=12xyz\r\nDEVNAME = " +
                           std::string(300, 'n') +
                           "\r\n\r\n[net]\r\nportnum= 9000\r\n[LocalVideo]\r\n"
                           "Folder=.\\cards\\\r\n");
    EXPECT_TRUE(settings.GetBeeping());
    EXPECT_EQ(settings.GetPitch(), 0);
    EXPECT_EQ(settings.GetUsbMap(), 12);
    EXPECT_EQ(settings.GetDevName(), std::string(255, 'n'));
    EXPECT_EQ(settings.GetPortNum(), 9000);
    EXPECT_EQ(settings.GetFolder(), ".\\cards\\");
}

TEST_F(SettingTest, TrueIsWrittenAsOne) {
    settings.SetBeeping(true);
    EXPECT_EQ(TempDir::ReadText(path), "[Main]\nBeeping=1\n");
}

TEST_F(SettingTest, SerialChoiceMapsStoredValuesToListPositions) {
    const struct {
        int baud, bits;
        std::string choice;
    } cases[] = {
        {1200, 5, "1 2 0 1"}, {19200, 8, "0 2 0 1"}, {4800, 7, "2 2 1 1"}, {2400, 7, "3 2 1 1"}};
    for (const auto& c : cases) {
        const auto baud = std::to_string(c.baud), bits = std::to_string(c.bits);
        TempDir::WriteText(path,
                           "[Serial1]\nBaud=" + baud + "\nParity=2\nBits=" + bits + "\nFlow=1\n");
        EXPECT_EQ(GetSerial(1)(settings), baud + " 2 " + bits + " 1");
        int baudIndex = 0, parity = 0, bitsIndex = 0, flow = 0;
        settings.GetSerialChoice(1, baudIndex, parity, bitsIndex, flow);
        EXPECT_EQ(Show(baudIndex, parity, bitsIndex, flow), c.choice) << c.baud;
    }
    settings.SetSerialChoice(2, 3, 2, 1, 1);
    EXPECT_EQ(GetSerial(2)(settings), "2400 2 7 1");
}

TEST_F(SettingTest, EveryPortButOneReadsSerial2) {
    TempDir::WriteText(path, "[Serial1]\nBaud=2400\n[Serial2]\nBaud=4800\n");
    for (const int port : {2, 7, 0}) {
        EXPECT_EQ(GetSerial(port)(settings), "4800 0 8 0") << "port " << port;
    }
    EXPECT_EQ(GetSerial(1)(settings), "2400 0 8 0");
}

TEST_F(SettingTest, ExitEntriesAreWrittenButNeverRead) {
    settings.SetExitKeys(false, true, 65, 66);
    EXPECT_EQ(TempDir::ReadText(path), "[Exit]\nCtrl=0\nAlt=1\nVKey1=65\nVKey2=66\n");
    bool ctrl = false, alt = true;
    uint32_t key1 = 0, key2 = 1;
    EXPECT_TRUE(settings.GetExitKeys(ctrl, alt, key1, key2));
    EXPECT_EQ(Show(ctrl, alt, key1, key2), "1 0 57 0");
}

TEST_F(SettingTest, StationNameIsTheHostName) {
    std::string hostName = TempDir::ReadText("/proc/sys/kernel/hostname");
    hostName.erase(hostName.find_last_not_of('\n') + 1);
    EXPECT_EQ(CQX44Setting::GetStationName(), hostName);
}

TEST_F(SettingTest, DisplayModeComesFromTheRegisteredSource) {
    struct : IDisplayInfo {
        bool known = true;
        bool GetDisplayMode(int& width, int& height, int& bits, int& hertz) const override {
            width = 1920, height = 1080, bits = 32, hertz = 60;
            return known;
        }
    } display;
    int width = -1, height = -1, bits = -1, hertz = -1;
    EXPECT_FALSE(CQX44Setting::GetDisplayMode(width, height, bits, hertz));
    CQX44Setting::SetDisplayInfo(&display);
    display.known = false;
    EXPECT_FALSE(CQX44Setting::GetDisplayMode(width, height, bits, hertz));
    EXPECT_EQ(Show(width, height, bits, hertz), "-1 -1 -1 -1");
    display.known = true;
    EXPECT_TRUE(CQX44Setting::GetDisplayMode(width, height, bits, hertz));
    CQX44Setting::SetDisplayInfo(nullptr);
    EXPECT_EQ(Show(width, height, bits, hertz), "1920 1080 32 60");
}

struct SettingPathTest : SettingTest {
    void TearDown() override {
        CQX44Setting::SetFilePathOverride("");
        ::unsetenv("QX44SIM_SETTINGS");
    }
};

TEST_F(SettingPathTest, FileSitsBesideTheProgram) {
    ::unsetenv("QX44SIM_SETTINGS");
    const auto program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(CQX44Setting().GetFilePath(), (program.parent_path() / "setting.txt").string());
}

TEST_F(SettingPathTest, CommandLineBeatsEnvironmentVariable) {
    const std::string fromEnvironment = dir.File("env.txt");
    const std::string fromCommandLine = dir.File("cmd.txt");
    ::setenv("QX44SIM_SETTINGS", fromEnvironment.c_str(), 1);
    CQX44Setting().SetPitch(1234);
    CQX44Setting::SetFilePathOverride(fromCommandLine);
    CQX44Setting().SetPitch(4321);
    EXPECT_EQ(CQX44Setting(fromEnvironment).GetPitch(), 1234);
    EXPECT_EQ(CQX44Setting(fromCommandLine).GetPitch(), 4321);
    CQX44Setting::SetFilePathOverride("");
    EXPECT_EQ(CQX44Setting().GetPitch(), 1234);
}

} // namespace

} // namespace qx44
