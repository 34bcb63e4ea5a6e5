#include "core/devices/SerialPortKind.h"

#include "core/settings/CQX44Setting.h"

#include <array>
#include <string>
#include <utility>

namespace qx44 {

namespace {

constexpr std::array<std::pair<SerialPortKind, std::string_view>, 4> kNames = {{
    {SerialPortKind::Device, "device"},
    {SerialPortKind::Virtual, "virtual"},
    {SerialPortKind::Pty, "pty"},
    {SerialPortKind::Printer, "printer"},
}};

} // namespace

SerialPortKind ParseSerialPortKind(std::string_view value) {
    for (const auto& [kind, name] : kNames) {
        if (kind != SerialPortKind::Device && name == value) {
            return kind;
        }
    }
    return SerialPortKind::Device;
}

std::string_view SerialPortKindName(SerialPortKind kind) {
    for (const auto& [known, name] : kNames) {
        if (known == kind) {
            return name;
        }
    }
    return "device";
}

SerialPortKind ConfiguredPortKind(int port) {
    return ParseSerialPortKind(
        CQX44Setting().ReadString("Ports", "COM" + std::to_string(port), ""));
}

} // namespace qx44
