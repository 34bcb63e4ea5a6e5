#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace qx44 {

// Parity and flow use the numbers stored in the settings (Serial1/Parity, Serial1/Flow), so a
// stored value converts with a static_cast; a parity the device does not know is refused.
enum class SerialParity : int { None = 0, Odd = 1, Even = 2 };
enum class SerialFlow : int { None = 0, Hardware = 1 };
enum class SerialStopBits { One, Two };

struct SerialLineSettings {
    int baud = 9600;
    SerialParity parity = SerialParity::None;
    int dataBits = 8;
    SerialStopBits stopBits = SerialStopBits::One;
    SerialFlow flow = SerialFlow::None;
};

// The bounds on a port's reads and writes. A read waits at most readTotalConstant +
// readTotalPerByte × count overall and, once bytes have started to arrive, at most readInterval
// for the next one; a write waits at most writeTotalConstant + writeTotalPerByte × count and then
// reports how much went out. A total of zero means the call does not wait at all: it takes what
// the device has or accepts at that moment (where Windows would wait without end, which no caller
// here could afford on its thread). A freshly opened port has all bounds zero.
struct SerialTimeouts {
    using ms = std::chrono::milliseconds;

    ms readInterval{0};
    ms readTotalPerByte{0};
    ms readTotalConstant{0};
    ms writeTotalPerByte{0};
    ms writeTotalConstant{0};

    ms ReadTotal(std::size_t count) const {
        return Total(readTotalConstant, readTotalPerByte, count);
    }
    ms WriteTotal(std::size_t count) const {
        return Total(writeTotalConstant, writeTotalPerByte, count);
    }

private:
    // Capped at 2^32 ms (about 50 days), far beyond any real bound, so a deadline computed from
    // it cannot overflow the clock.
    static ms Total(ms constant, ms perByte, std::size_t count) {
        using Rep = ms::rep;
        constexpr Rep kMax = Rep{1} << 32;
        const Rep base = std::clamp<Rep>(constant.count(), 0, kMax);
        const Rep each = std::clamp<Rep>(perByte.count(), 0, kMax);
        if (each != 0 && count > static_cast<std::size_t>((kMax - base) / each)) {
            return ms(kMax);
        }
        return ms(base + each * static_cast<Rep>(count));
    }
};

struct SerialQueueStatus {
    std::size_t input = 0;
    std::size_t output = 0;
};

// One serial device of the machine. Every failure raises CSerialException with the system error
// code. Callers serialise their calls (CSerialPort does), so a device needs no lock of its own.
class ISerialDevice {
public:
    virtual ~ISerialDevice() = default;

    // Opens COM `port` for reading and writing, held exclusively; an open device is closed first.
    // A device that cannot be opened (missing, busy) raises and stays closed. One that opens but
    // refuses the line settings raises and stays open with the settings it had and zero timeouts.
    virtual void Open(int port, const SerialLineSettings& line) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Return how many bytes moved; both wait no longer than the timeouts allow.
    virtual std::size_t Read(std::span<std::uint8_t> buffer) = 0;
    virtual std::size_t Write(std::span<const std::uint8_t> bytes) = 0;
    // Never raises: a query that fails reports empty queues.
    virtual SerialQueueStatus QueryStatus() = 0;
    virtual void SetTimeouts(const SerialTimeouts& timeouts) = 0;
};

// Makes the devices behind the ports, so tests can put fakes behind them.
class ISerialDeviceFactory {
public:
    virtual ~ISerialDeviceFactory() = default;
    virtual std::unique_ptr<ISerialDevice> CreateDevice() = 0;
};

} // namespace qx44
