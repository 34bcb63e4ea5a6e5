#include "core/keyboard/CKBHardware.h"

#include "core/keyboard/KeyFlags.h"

#include <charconv>
#include <cstdint>
#include <utility>

namespace qx44 {

namespace {

// The kernel's event types for key presses and for auto-repeat (EV_KEY, EV_REP).
constexpr unsigned kEvKey = 0x01;
constexpr unsigned kEvRep = 0x14;

// One device's block of the list: the lines up to the next blank line.
struct DeviceLines {
    std::string_view handlers;
    std::string_view events;
};

std::string_view AfterPrefix(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix ? line.substr(prefix.size())
                                                   : std::string_view();
}

bool HasWord(std::string_view text, std::string_view word) {
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            return false;
        }
        text.remove_prefix(start);
        const std::size_t end = text.find(' ');
        if (text.substr(0, end) == word) {
            return true;
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end);
    }
    return false;
}

bool HasEventBits(std::string_view hex) {
    while (!hex.empty() && (hex.back() == ' ' || hex.back() == '\r')) {
        hex.remove_suffix(1);
    }
    std::uint64_t bits = 0;
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), bits, 16);
    if (hex.empty() || error != std::errc() || end != hex.data() + hex.size()) {
        return false;
    }
    const std::uint64_t wanted = (std::uint64_t{1} << kEvKey) | (std::uint64_t{1} << kEvRep);
    return (bits & wanted) == wanted;
}

bool IsKeyboard(const DeviceLines& device) {
    return HasWord(device.handlers, "kbd") && HasEventBits(device.events);
}

} // namespace

CKBHardware::CKBHardware(IKeyboardDevices& devices, Clock now)
    : devices_(devices), now_(std::move(now)), echoTime_(NowSeconds()) {}

bool CKBHardware::IsKeyboardPresent() {
    if (FindHidKeyboard(devices_.ReadDeviceList())) {
        return true;
    }
    if (!devices_.WriteEchoDevice(kEchoCommand)) {
        return false;
    }
    return NowSeconds() - echoTime_ < kEchoFreshness;
}

void CKBHardware::NoteEcho() {
    echoTime_ = NowSeconds();
}

bool CKBHardware::IsEcho(std::uint32_t flags) {
    return KeyFlags::ScanCode(flags) == kEchoScanCode;
}

bool CKBHardware::FindHidKeyboard(std::string_view deviceList) {
    DeviceLines device;
    while (!deviceList.empty()) {
        const std::size_t end = deviceList.find('\n');
        std::string_view line = deviceList.substr(0, end);
        deviceList.remove_prefix(end == std::string_view::npos ? deviceList.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            if (IsKeyboard(device)) {
                return true;
            }
            device = {};
        } else if (const auto handlers = AfterPrefix(line, "H: Handlers="); !handlers.empty()) {
            device.handlers = handlers;
        } else if (const auto events = AfterPrefix(line, "B: EV="); !events.empty()) {
            device.events = events;
        }
    }
    return IsKeyboard(device);
}

std::chrono::seconds CKBHardware::NowSeconds() const {
    return std::chrono::duration_cast<std::chrono::seconds>(now_().time_since_epoch());
}

} // namespace qx44
