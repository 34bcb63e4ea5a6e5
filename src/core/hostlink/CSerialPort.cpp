#include "core/hostlink/CSerialPort.h"

#include "core/hostlink/CSerialException.h"

#include <cerrno>
#include <stdexcept>
#include <thread>

namespace qx44 {

CSerialPort::CSerialPort(ISerialDeviceFactory& factory) : device_(factory.CreateDevice()) {
    if (!device_) {
        throw std::invalid_argument("serial device factory made no device");
    }
}

CSerialPort::~CSerialPort() {
    Close();
}

void CSerialPort::Open(int port, int baud, SerialParity parity, int dataBits,
                       SerialStopBits stopBits, SerialFlow flow, bool overlapped) {
    if (overlapped) {
        throw CSerialException(EINVAL);
    }
    std::lock_guard lock(mutex_);
    device_->Open(port, SerialLineSettings{baud, parity, dataBits, stopBits, flow});
}

void CSerialPort::Close() {
    std::lock_guard lock(mutex_);
    device_->Close();
}

void CSerialPort::DrainAndClose(std::chrono::milliseconds limit) {
    constexpr std::chrono::milliseconds kCheckEvery{10};
    std::lock_guard lock(mutex_);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (device_->IsOpen() && device_->QueryStatus().output > 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kCheckEvery);
    }
    device_->Close();
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(mutex_);
    return device_->IsOpen();
}

std::size_t CSerialPort::Read(std::span<std::uint8_t> buffer) {
    std::lock_guard lock(mutex_);
    ThrowIfClosed();
    return device_->Read(buffer);
}

std::size_t CSerialPort::Write(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    ThrowIfClosed();
    return device_->Write(bytes);
}

void CSerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
    std::lock_guard lock(mutex_);
    ThrowIfClosed();
    device_->SetTimeouts(timeouts);
}

SerialQueueStatus CSerialPort::QueryStatus() {
    std::lock_guard lock(mutex_);
    return device_->IsOpen() ? device_->QueryStatus() : SerialQueueStatus{};
}

void CSerialPort::ThrowIfClosed() const {
    if (!device_->IsOpen()) {
        throw CSerialException(EBADF);
    }
}

} // namespace qx44
