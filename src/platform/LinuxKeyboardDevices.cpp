#include "platform/LinuxKeyboardDevices.h"

#include "core/common/UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace qx44 {

LinuxKeyboardDevices::LinuxKeyboardDevices(std::string echoDevicePath, std::string deviceListPath)
    : echoDevicePath_(std::move(echoDevicePath)), deviceListPath_(std::move(deviceListPath)) {}

std::string LinuxKeyboardDevices::ReadDeviceList() {
    // The kernel reports the list's size as 0, so it is read to its end rather than by size.
    std::ifstream in(deviceListPath_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

bool LinuxKeyboardDevices::WriteEchoDevice(std::uint8_t command) {
    if (echoDevicePath_.empty()) {
        return false;
    }
    const UniqueFd device(::open(echoDevicePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!device.Valid()) {
        return false;
    }
    ssize_t written = 0;
    do {
        written = ::write(device.Get(), &command, 1);
    } while (written < 0 && errno == EINTR);
    return written == 1;
}

} // namespace qx44
