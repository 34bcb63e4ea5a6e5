#include "core/devices/SerialPortKind.h"

#include "core/devices/NameTable.h"
#include "core/settings/CQX44Setting.h"

#include <string>

namespace qx44 {

namespace {

constexpr NameTable<SerialPortKind, 4> kNames({{
    {SerialPortKind::Device, "device"},
    {SerialPortKind::Virtual, "virtual"},
    {SerialPortKind::Pty, "pty"},
    {SerialPortKind::Printer, "printer"},
}});

} // namespace

SerialPortKind ParseSerialPortKind(std::string_view value) {
    // "device" is what a device path is, not a value that names it.
    const auto kind = kNames.Find(value);
    return kind && *kind != SerialPortKind::Device ? *kind : SerialPortKind::Device;
}

std::string_view SerialPortKindName(SerialPortKind kind) {
    return kNames.NameOf(kind);
}

SerialPortKind ConfiguredPortKind(int port) {
    return ParseSerialPortKind(
        CQX44Setting().ReadString("Ports", "COM" + std::to_string(port), ""));
}

} // namespace qx44
