#include "core/interpreter/SerialPassThrough.h"

#include "core/common/Log.h"
#include "core/hostlink/CSerialException.h"
#include "core/protocol/StationMessageTable.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>

namespace qx44 {

namespace {

constexpr std::uint8_t kReady = 0x00;
constexpr std::uint8_t kNotReady = 0xFF;

// GS a 14: the printer reports its status in blocks of four bytes.
constexpr std::array<std::uint8_t, 3> kStatusQuery = {0x1D, 0x61, 0x0E};

using StatusBlock = std::array<std::uint8_t, 4>;

bool IsNotReady(const StatusBlock& block) {
    constexpr std::uint8_t kOffline = 0x08;
    constexpr std::uint8_t kCoverOpen = 0x20;
    constexpr std::uint8_t kPaperNearEnd = 0x03;
    constexpr std::uint8_t kPaperEnd = 0x0C;
    return (block[0] & (kOffline | kCoverOpen)) != 0 ||
           (block[2] & (kPaperNearEnd | kPaperEnd)) != 0;
}

// Cleared on every way out of the status check, so the poll never loses the printer for good.
class BusyFlag {
public:
    explicit BusyFlag(std::atomic<bool>& flag) : flag_(flag) { flag_ = true; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;
    ~BusyFlag() { flag_ = false; }

private:
    std::atomic<bool>& flag_;
};

bool IsSerial(int k) {
    return k == 1 || k == 2;
}

} // namespace

SerialPassThrough::SerialPassThrough(ISerialDeviceFactory& factory)
    : serial1_(factory), serial2_(factory), printer_(factory) {}

void SerialPassThrough::EnsureSerialOpen(int k) {
    if (!IsSerial(k)) {
        return;
    }
    CSerialPort& port = Serial(k);
    std::lock_guard lock(port);
    if (port.IsOpen()) {
        return;
    }
    int baud = 0;
    int parity = 0;
    int bits = 0;
    int flow = 0;
    CQX44Setting().GetSerial(k, baud, parity, bits, flow);
    try {
        port.Open(k, baud, static_cast<SerialParity>(parity), bits, SerialStopBits::One,
                  flow == 0 ? SerialFlow::None : SerialFlow::Hardware, false);
        port.SetTimeouts(kSerialTimeouts);
        NoteOpenResult(reportedOpenErrors_[k - 1], k, 0, {});
    } catch (const CSerialException& failure) {
        // A missing or busy device is tried again by the next poll; one that refused its line
        // settings stays open with the settings it had.
        NoteOpenResult(reportedOpenErrors_[k - 1], k, failure.GetErrorCode(),
                       failure.GetErrorMessage());
    }
}

bool SerialPassThrough::EnsurePrinterOpen() {
    const int number = PrinterPortNumber();
    std::lock_guard lock(printer_);
    if (printer_.IsOpen()) {
        return true;
    }
    // No COM port has a number below 1: the main window has not mapped the printer yet.
    if (number < 1) {
        return false;
    }
    try {
        printer_.Open(number, kPrinterBaud, SerialParity::None, 8, SerialStopBits::One,
                      SerialFlow::None, false);
        printer_.SetTimeouts(kPrinterTimeouts);
        NoteOpenResult(reportedOpenErrors_[2], number, 0, {});
        return true;
    } catch (const CSerialException& failure) {
        NoteOpenResult(reportedOpenErrors_[2], number, failure.GetErrorCode(),
                       failure.GetErrorMessage());
        return false;
    }
}

void SerialPassThrough::NoteOpenResult(int& reported, int port, int error,
                                       std::string_view reason) {
    if (error == reported) {
        return;
    }
    reported = error;
    Log::Note(LogArea::Ports, [&] {
        const std::string name = "COM" + std::to_string(port);
        if (error == 0) {
            return name + " is open";
        }
        return name + " cannot be opened: " +
               (reason.empty() ? "error " + std::to_string(error) : std::string(reason));
    });
}

void SerialPassThrough::Poll(const Forward& forward) {
    const auto forwardFrom = [&](std::optional<std::uint8_t> byte, int kind) {
        if (!byte) {
            return;
        }
        if (const auto code = InputCode(kind)) {
            forward(*code, *byte);
        }
    };

    EnsureSerialOpen(1);
    forwardFrom(ReadWaitingByte(serial1_), 1);
    EnsureSerialOpen(2);
    forwardFrom(ReadWaitingByte(serial2_), 2);

    if (!IsUsbPrinterEnabled() || IsPrinterBusy()) {
        return;
    }
    std::optional<std::uint8_t> byte;
    {
        // The busy flag is set under this lock, so a check that started meanwhile is seen here.
        // A printer held by a host command (draining before it closes) is left to the next poll.
        std::unique_lock lock(printer_, std::try_to_lock);
        if (!lock.owns_lock() || IsPrinterBusy() || !DropOwedAnswer() || !EnsurePrinterOpen()) {
            return;
        }
        byte = ReadWaitingByte(printer_);
    }
    forwardFrom(byte, PrinterPortNumber());
}

bool SerialPassThrough::WriteSerial(int k, std::span<const std::uint8_t> bytes) {
    if (!IsSerial(k)) {
        return false;
    }
    CSerialPort& port = Serial(k);
    std::lock_guard lock(port);
    EnsureSerialOpen(k);
    if (!port.IsOpen()) {
        return false;
    }
    try {
        return port.Write(bytes) == bytes.size();
    } catch (const CSerialException&) {
        return false;
    }
}

bool SerialPassThrough::WritePrinter(std::span<const std::uint8_t> bytes) {
    if (!IsUsbPrinterEnabled()) {
        return false;
    }
    std::lock_guard lock(printer_);
    EnsurePrinterOpen();
    if (!printer_.IsOpen()) {
        return false;
    }
    try {
        return printer_.Write(bytes) == bytes.size();
    } catch (const CSerialException&) {
        ClosePrinter();
        return false;
    }
}

std::uint8_t SerialPassThrough::SerialStatus(int k) {
    if (!IsSerial(k)) {
        return kReady;
    }
    CSerialPort& port = Serial(k);
    std::lock_guard lock(port);
    if (!port.IsOpen()) {
        return kNotReady;
    }
    return port.QueryStatus().output > 0 ? kNotReady : kReady;
}

void SerialPassThrough::CheckPrinterStatus(const CancelToken& connectionClosing,
                                           const Reply& reply) {
    std::unique_lock lock(printer_);
    const BusyFlag busy(printerBusy_);
    // An earlier check's answer that came meanwhile is this check's too: the latest block counts.
    answerDue_.reset();
    const bool asked = SendStatusQuery();
    const auto due = std::chrono::steady_clock::now() + kStatusAnswerWait;
    lock.unlock();
    if (!asked) {
        reply(kNotReady);
        return;
    }
    // The host is gone: nobody waits for the answer, which must not reach the next host either.
    if (connectionClosing.WaitUntil(due)) {
        lock.lock();
        OweAnswer(due);
        return;
    }
    if (const auto status = ReadPrinterStatus(connectionClosing)) {
        reply(*status);
    }
}

bool SerialPassThrough::DropOwedAnswer() {
    if (!answerDue_) {
        return true;
    }
    if (std::chrono::steady_clock::now() < *answerDue_) {
        return false;
    }
    answerDue_.reset();
    // Only what already waits, so the UI thread never waits for a printer.
    std::array<std::uint8_t, 256> dropped{};
    for (int chunk = 0; chunk < kMaxStatusBlocks; ++chunk) {
        const std::size_t waiting = printer_.QueryStatus().input;
        if (waiting == 0) {
            break;
        }
        try {
            if (printer_.Read(std::span(dropped).first(std::min(waiting, dropped.size()))) == 0) {
                break;
            }
        } catch (const CSerialException&) {
            printer_.Close();
            break;
        }
    }
    return true;
}

std::optional<std::uint8_t> SerialPassThrough::ReadWaitingByte(CSerialPort& port) {
    std::lock_guard lock(port);
    if (!port.IsOpen() || port.QueryStatus().input == 0) {
        return std::nullopt;
    }
    std::uint8_t byte = 0;
    try {
        if (port.Read(std::span(&byte, 1)) == 1) {
            return byte;
        }
    } catch (const CSerialException&) {
        port.Close();
    }
    return std::nullopt;
}

std::optional<std::uint8_t> SerialPassThrough::InputCode(int kind) const {
    // The printer's kind is its port number, so a printer on COM1 or COM2 reports as that port.
    if (kind == 1) {
        return StationMessageTable::kSerial1Byte.code;
    }
    if (kind == 2) {
        return StationMessageTable::kSerial2Byte.code;
    }
    const int printer = PrinterPortNumber();
    if (kind == printer && printer >= 0 && IsUsbPrinterEnabled()) {
        return StationMessageTable::kPrinterByte.code;
    }
    return std::nullopt;
}

bool SerialPassThrough::SendStatusQuery() {
    EnsurePrinterOpen();
    if (!printer_.IsOpen()) {
        return false;
    }
    try {
        // A query cut short leaves the printer inside a command; it is treated like a failed one.
        if (printer_.Write(kStatusQuery) == kStatusQuery.size()) {
            return true;
        }
    } catch (const CSerialException&) {
    }
    ClosePrinter();
    return false;
}

std::optional<std::uint8_t>
SerialPassThrough::ReadPrinterStatus(const CancelToken& connectionClosing) {
    std::lock_guard lock(printer_);
    std::optional<StatusBlock> latest;
    int blocks = 0;
    while (printer_.QueryStatus().input > 0) {
        if (connectionClosing.IsCancelled()) {
            OweAnswer(std::chrono::steady_clock::now());
            return std::nullopt;
        }
        StatusBlock block{};
        try {
            if (printer_.Read(block) < block.size()) {
                break;
            }
        } catch (const CSerialException&) {
            ClosePrinter();
            return kNotReady;
        }
        latest = block;
        if (++blocks == kMaxStatusBlocks) {
            return kNotReady;
        }
    }
    if (!latest) {
        return kNotReady;
    }
    if (IsNotReady(*latest)) {
        ClosePrinter();
        return kNotReady;
    }
    return kReady;
}

} // namespace qx44
