#include "core/devices/DeviceControlCommands.h"

#include "core/common/HexText.h"
#include "core/control/ControlArguments.h"
#include "core/devices/SerialDeviceRouter.h"
#include "core/devices/VirtualPrinter.h"
#include "core/devices/VirtualSerialDevice.h"
#include "core/hostlink/CSerialException.h"
#include "core/text/Windows1252.h"

#include <charconv>
#include <optional>
#include <vector>

namespace qx44 {

namespace {

// COM numbers as far as a device path or the setup dialog could name one.
constexpr int kMaxPort = 256;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The first word of `text`, which then holds what follows it and the blanks after that.
std::string_view NextWord(std::string_view& text) {
    const auto [word, rest] = ControlArguments::SplitCommand(text);
    text = rest;
    return word;
}

std::optional<int> PortNumber(std::string_view word) {
    const auto port = ControlArguments::Number(word, kMaxPort);
    return port && *port >= 1 ? port : std::nullopt;
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* const c = text.data() + i;
        if (IsBlank(*c)) {
            if (high >= 0) {
                return std::nullopt;
            }
            continue;
        }
        int digit = 0;
        if (std::from_chars(c, c + 1, digit, 16).ec != std::errc()) {
            return std::nullopt;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0 || bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

std::span<const std::uint8_t> AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

ControlReply Usage(std::string_view usage) {
    return ControlReply::Error("usage: " + std::string(usage));
}

} // namespace

ControlReply DeviceControlCommands::Serial(std::string_view arguments) {
    const auto port = PortNumber(NextWord(arguments));
    if (!port) {
        return Usage(kSerialUsage);
    }
    std::shared_ptr<StandingDevice> device;
    try {
        device = router_.Standing(*port);
    } catch (const CSerialException& failure) {
        return ControlReply::Error("COM" + std::to_string(*port) + ": " + failure.what());
    }
    const SerialPortKind kind = device ? device->Kind() : SerialPortKind::Device;
    auto* virtualDevice =
        kind == SerialPortKind::Virtual ? static_cast<VirtualSerialDevice*>(device.get()) : nullptr;

    const std::string_view action = NextWord(arguments);
    if (action.empty()) {
        ControlReply reply = ControlReply::Ok();
        reply.AddNumber("port", *port).AddText("kind", SerialPortKindName(kind));
        // A machine device is made afresh by each port that opens it: it has no one state to show.
        if (device) {
            reply.AddBool("open", device->IsHeld());
        }
        if (virtualDevice != nullptr) {
            const auto record = virtualDevice->WrittenSoFar();
            reply.AddText("text", Windows1252::ToUtf8(AsBytes(record.bytes)))
                .AddText("hex", HexText::Bytes(AsBytes(record.bytes)))
                .AddNumber("dropped", static_cast<std::int64_t>(record.dropped));
        }
        if (device && !device->Path().empty()) {
            reply.AddText("path", device->Path());
        }
        return reply;
    }

    std::vector<std::uint8_t> bytes;
    if (action == "send" && !arguments.empty()) {
        const std::string encoded = Windows1252::FromUtf8(arguments);
        bytes.assign(encoded.begin(), encoded.end());
    } else if (action == "sendhex") {
        auto parsed = ParseHex(arguments);
        if (!parsed) {
            return ControlReply::Error("sendhex needs pairs of hex digits");
        }
        bytes = std::move(*parsed);
    } else {
        return Usage(kSerialUsage);
    }
    if (virtualDevice == nullptr) {
        return ControlReply::Error("COM" + std::to_string(*port) + " is not a virtual device");
    }
    const std::size_t sent = virtualDevice->Send(bytes);
    if (sent < bytes.size()) {
        return ControlReply::Error("COM" + std::to_string(*port) +
                                   " is full: " + std::to_string(sent) + " of " +
                                   std::to_string(bytes.size()) + " bytes queued");
    }
    return ControlReply::Ok()
        .AddNumber("port", *port)
        .AddNumber("queued", static_cast<std::int64_t>(sent));
}

ControlReply DeviceControlCommands::Printer(std::string_view arguments) {
    const std::string_view action = NextWord(arguments);
    const std::string_view value = NextWord(arguments);
    std::optional<PrinterState> state;
    const bool take = action == "take";
    if (action == "set") {
        state = ParsePrinterState(value);
    }
    const bool known = (action.empty() || take) ? value.empty() : state.has_value();
    if (!known || !arguments.empty()) {
        return Usage(kPrinterUsage);
    }
    int port = 0;
    const auto printer = router_.FirstPrinter(port);
    if (!printer) {
        return ControlReply::Error("no printer: set [Ports] COM<n>=printer");
    }
    if (state) {
        printer->SetState(*state);
    }
    const VirtualPrinter::Report report = printer->Look(take);
    ControlReply reply = ControlReply::Ok();
    reply.AddNumber("port", port).AddText("state", PrinterStateName(report.state));
    if (!state) {
        reply.AddTextArray("receipts", report.receipts)
            .AddText("current", report.current)
            .AddNumber("dropped", static_cast<std::int64_t>(report.dropped));
    }
    return reply;
}

} // namespace qx44
