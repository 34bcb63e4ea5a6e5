#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IPictureDisplay.h"
#include "core/settings/CQX44Setting.h"
#include "support/FakeSerialPorts.h"
#include "support/RecordingBeeper.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qx44 {
namespace {

class RecordingDisplay : public IPictureDisplay {
public:
    void ShowPicture(int column, int row, const std::string& path) override {
        shown.push_back(std::to_string(column) + "," + std::to_string(row) + " " + path);
    }
    std::vector<std::string> shown;
};

class NoHost : public IHostSender {
public:
    void SendToHost(std::span<const std::uint8_t>) override {}
};

class CVantorCmdPictureTest : public ::testing::Test {
protected:
    void SetUp() override { CQX44Setting::SetFilePathOverride(dir.File("setting.txt")); }
    void TearDown() override { CQX44Setting::SetFilePathOverride({}); }

    test::TempDir dir;
    CConsoleWin screen;
    CVantorBar bar;
    NoHost host;
    test::FakeSerialPorts ports;
    test::RecordingBeeper beeper;
    RecordingDisplay textPictures;
    RecordingDisplay statusPictures;
};

TEST_F(CVantorCmdPictureTest, Row255GoesToTheStatusLineAndEveryOtherRowToTheTextScreen) {
    CVantorCmd cmd(screen, bar, host, ports, beeper);
    cmd.SetPictureDisplays(&textPictures, &statusPictures);

    cmd.ShowHostPicture(5, 2, "./tmp.bmp");
    cmd.ShowHostPicture(3, 255, "./tmp.bmp");
    cmd.ShowHostPicture(0, 254, "./tmp.bmp");

    EXPECT_EQ(textPictures.shown, (std::vector<std::string>{"5,2 ./tmp.bmp", "0,254 ./tmp.bmp"}));
    EXPECT_EQ(statusPictures.shown, (std::vector<std::string>{"3,255 ./tmp.bmp"}));
}

TEST_F(CVantorCmdPictureTest, PicturesBeforeTheWindowsAreAttachedAreDropped) {
    CVantorCmd cmd(screen, bar, host, ports, beeper);
    cmd.ShowHostPicture(5, 2, "./tmp.bmp");
    cmd.ShowHostPicture(3, 255, "./tmp.bmp");
    cmd.SetPictureDisplays(&textPictures, &statusPictures);
    EXPECT_TRUE(textPictures.shown.empty());
    EXPECT_TRUE(statusPictures.shown.empty());
}

} // namespace
} // namespace qx44
