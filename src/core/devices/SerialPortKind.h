#pragma once

#include <string_view>

namespace qx44 {

// What stands behind a COM number: the machine's device (a /dev/ttyS port or the path [Ports]
// COM<n> names), or one of the program's own devices for testing a host without hardware.
enum class SerialPortKind { Device, Virtual, Pty, Printer };

// "virtual", "pty" and "printer" name the program's devices; any other value is a device path.
SerialPortKind ParseSerialPortKind(std::string_view value);
std::string_view SerialPortKindName(SerialPortKind kind);
// The kind the settings' [Ports] COM<port> asks for, read from the file now.
SerialPortKind ConfiguredPortKind(int port);

} // namespace qx44
