#include "platform/LinuxKeyboardDevices.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace qx44 {
namespace {

using test::TempDir;

TEST(LinuxKeyboardDevicesTest, ReadsTheDeviceList) {
    TempDir dir;
    TempDir::WriteText(dir.File("devices"), "H: Handlers=kbd event3\nB: EV=120013\n\n");
    EXPECT_EQ(LinuxKeyboardDevices({}, dir.File("devices")).ReadDeviceList(),
              "H: Handlers=kbd event3\nB: EV=120013\n\n");
    EXPECT_EQ(LinuxKeyboardDevices({}, dir.File("missing")).ReadDeviceList(), "");
}

TEST(LinuxKeyboardDevicesTest, WritesTheEchoCommandOnlyToAnExistingDevice) {
    TempDir dir;
    TempDir::WriteText(dir.File("kbpos"), "");
    EXPECT_TRUE(LinuxKeyboardDevices(dir.File("kbpos")).WriteEchoDevice(0xEE));
    EXPECT_EQ(TempDir::ReadText(dir.File("kbpos")), "\xEE");

    EXPECT_FALSE(LinuxKeyboardDevices().WriteEchoDevice(0xEE)) << "none configured";
    EXPECT_FALSE(LinuxKeyboardDevices(dir.File("missing")).WriteEchoDevice(0xEE));
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing"))) << "never created";
    EXPECT_FALSE(LinuxKeyboardDevices(dir.Path()).WriteEchoDevice(0xEE)) << "a folder";
}

} // namespace
} // namespace qx44
