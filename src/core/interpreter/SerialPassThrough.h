#pragma once

#include "core/common/CancelToken.h"
#include "core/hostlink/CSerialPort.h"
#include "core/hostlink/ISerialDevice.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace qx44 {

// The station's serial side: COM1, COM2 and the receipt printer on its mapped COM port. The UI
// thread's poll and the receive thread's commands use the same ports; each sequence of calls on a
// port (open and its timeouts, queue status and the read) holds that port's lock, and the printer
// busy flag keeps the poll off the printer while a status check waits for its answer.
class SerialPassThrough {
public:
    static constexpr SerialTimeouts kSerialTimeouts{
        .readInterval = std::chrono::milliseconds(2),
        .readTotalPerByte = std::chrono::milliseconds(2),
        .readTotalConstant = std::chrono::milliseconds(100),
        .writeTotalPerByte = std::chrono::milliseconds(2),
        .writeTotalConstant = std::chrono::milliseconds(100)};
    // No read total: a printer that does not answer costs nothing once its queue is found empty.
    static constexpr SerialTimeouts kPrinterTimeouts{
        .readInterval = std::chrono::milliseconds(2),
        .writeTotalPerByte = std::chrono::milliseconds(1),
        .writeTotalConstant = std::chrono::milliseconds(10)};
    static constexpr int kPrinterBaud = 9600;
    // A printer streaming status without end still lets the check finish.
    static constexpr int kMaxStatusBlocks = 1024;
    static constexpr std::chrono::milliseconds kStatusAnswerWait{40};
    // How long a printer that is being closed gets to print what it was already sent.
    static constexpr std::chrono::milliseconds kPrinterDrain{2000};

    // Called with the input code and the byte, once per byte the poll takes from a port.
    using Forward = std::function<void(std::uint8_t code, std::uint8_t byte)>;
    using Reply = std::function<void(std::uint8_t status)>;

    explicit SerialPassThrough(ISerialDeviceFactory& factory);

    void SetPrinterPortNumber(int port) { printerPortNumber_ = port; }
    int PrinterPortNumber() const { return printerPortNumber_.load(); }
    void SetUsbPrinterEnabled(bool enabled) { usbPrinterEnabled_ = enabled; }
    bool IsUsbPrinterEnabled() const { return usbPrinterEnabled_.load(); }

    // Opens Serial `k` (1 or 2) from its settings section when it is closed; a port that cannot
    // be opened is tried again at the next call.
    void EnsureSerialOpen(int k);
    // Opens the printer port when it is closed; true when it is open and set up. A device that
    // opened but refused its line settings stays open and answers false this once.
    bool EnsurePrinterOpen();

    // One byte at most from each open port, the printer only while enabled and not busy.
    void Poll(const Forward& forward);

    // True when the port is open and took every byte.
    bool WriteSerial(int k, std::span<const std::uint8_t> bytes);
    // The same for the printer; a printer that fails a write is closed once its queued output
    // has gone out (kPrinterDrain at most).
    bool WritePrinter(std::span<const std::uint8_t> bytes);

    // Serial k: 0xFF when closed or while output is still queued, else 0; any other port number
    // is 0. Never opens a port.
    std::uint8_t SerialStatus(int k);
    // The ESC/POS status check. Replies 0x00 ready or 0xFF not ready, not answering or still
    // streaming status blocks after the last one the check reads, before the poll may use the
    // printer again; does not reply when the connection closed meanwhile. Either way the status
    // blocks it asked for are never forwarded as printer input.
    void CheckPrinterStatus(const CancelToken& connectionClosing, const Reply& reply);

private:
    bool IsPrinterBusy() const { return printerBusy_.load(); }
    CSerialPort& Serial(int k) { return k == 1 ? serial1_ : serial2_; }
    // Reads one waiting byte from `port`; a port whose read fails is closed, so a device that was
    // unplugged is found again by the next opening attempt.
    std::optional<std::uint8_t> ReadWaitingByte(CSerialPort& port);
    std::optional<std::uint8_t> InputCode(int kind) const;
    bool SendStatusQuery();
    void ClosePrinter() { printer_.DrainAndClose(kPrinterDrain); }
    std::optional<std::uint8_t> ReadPrinterStatus(const CancelToken& connectionClosing);
    // A check cut short leaves its answer to come: the poll keeps off the printer until the
    // answer is due, and then throws away what waits. Called under the printer's lock.
    void OweAnswer(std::chrono::steady_clock::time_point due) { answerDue_ = due; }
    // False while an answer nobody reads may still be on its way; once it is due, drops it.
    bool DropOwedAnswer();
    // Logs an opening attempt's result (0 = opened, else the error code) when it differs from
    // `reported`, the last one logged for that port: a missing port is retried several times a
    // second. Called under the port's lock.
    static void NoteOpenResult(int& reported, int port, int error, std::string_view reason);

    std::atomic<int> printerPortNumber_{-1};
    CSerialPort serial1_;
    CSerialPort serial2_;
    std::atomic<bool> usbPrinterEnabled_{false};
    CSerialPort printer_;
    std::atomic<bool> printerBusy_{false};
    // When the answer of a check that was cut short is due; used under the printer's lock.
    std::optional<std::chrono::steady_clock::time_point> answerDue_;
    // Serial1, Serial2, printer; each used under its port's lock.
    std::array<int, 3> reportedOpenErrors_{};
};

} // namespace qx44
