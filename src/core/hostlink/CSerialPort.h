#pragma once

#include "core/hostlink/ISerialDevice.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace qx44 {

// One of the station's serial ports (Serial1, Serial2, the printer port). The user-interface
// thread's poll and the receive thread's commands share it, so every call holds the port's lock.
// A caller that needs several calls in a row (open, then set the timeouts; ask for the input
// count, then read) holds the port itself across them (std::lock_guard lock(port)); the lock is
// recursive, so the calls inside still work. Each call is bounded by the port's timeouts, which
// bounds how long the other thread can be kept waiting. Failures raise CSerialException.
class CSerialPort {
public:
    explicit CSerialPort(ISerialDeviceFactory& factory);
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;
    ~CSerialPort();

    void lock() { mutex_.lock(); }
    bool try_lock() { return mutex_.try_lock(); }
    void unlock() { mutex_.unlock(); }

    // Opens COM `port`, closing it first if it is open. `overlapped` must be false: every call
    // here completes before it returns, so asking for overlapped I/O raises EINVAL and leaves the
    // port as it was.
    void Open(int port, int baud, SerialParity parity, int dataBits, SerialStopBits stopBits,
              SerialFlow flow, bool overlapped);
    void Close();
    // Waits, at most `limit`, until the device has sent what it was given, then closes it:
    // closing throws away output still queued, which a caller may already have acknowledged.
    void DrainAndClose(std::chrono::milliseconds limit);
    bool IsOpen() const;

    // On a closed port these raise EBADF, as a call on a closed descriptor would.
    std::size_t Read(std::span<std::uint8_t> buffer);
    std::size_t Write(std::span<const std::uint8_t> bytes);
    void SetTimeouts(const SerialTimeouts& timeouts);

    // Never raises; a closed port, or a query that fails, reports empty queues.
    SerialQueueStatus QueryStatus();

private:
    void ThrowIfClosed() const;

    mutable std::recursive_mutex mutex_;
    std::unique_ptr<ISerialDevice> device_;
};

} // namespace qx44
