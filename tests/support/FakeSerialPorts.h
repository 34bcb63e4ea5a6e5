#pragma once

#include "core/hostlink/CSerialException.h"
#include "core/hostlink/ISerialDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

namespace qx44::test {

// The machine's COM ports as a test sets them up: a port exists once the test touches it with
// With(); devices made by this factory open those and record what the station does with them.
// Safe to inspect from the test thread while the station's threads use the ports.
class FakeSerialPorts : public ISerialDeviceFactory {
public:
    // What one COM port's hardware does and what the station did to it.
    struct Line {
        int openError = 0;     // errno Open raises before the device opens (EBUSY, EACCES)
        int settingsError = 0; // errno Open raises after the device opened (refused settings)
        int readError = 0;
        int writeError = 0;
        // Bytes a write takes before its timeout runs out; the rest is left unwritten.
        std::size_t writeCapacity = std::numeric_limits<std::size_t>::max();
        std::size_t outputQueue = 0;
        // Queued output that goes out on the line between two status queries.
        std::size_t sentPerQuery = 0;
        // Queued output thrown away when the port was closed.
        std::size_t discarded = 0;
        std::deque<std::uint8_t> input;

        bool open = false;
        int opens = 0;
        std::optional<SerialLineSettings> settings;
        std::optional<SerialTimeouts> timeouts;
        std::vector<std::uint8_t> written;
    };

    // Runs `use` on COM `port` under the ports' lock and returns what it returns.
    template <class Use> decltype(auto) With(int port, Use&& use) {
        std::lock_guard lock(mutex_);
        return use(lines_[port]);
    }

    std::unique_ptr<ISerialDevice> CreateDevice() override {
        return std::make_unique<Device>(*this);
    }

private:
    class Device : public ISerialDevice {
    public:
        explicit Device(FakeSerialPorts& ports) : ports_(ports) {}

        void Open(int port, const SerialLineSettings& line) override {
            Close();
            std::lock_guard lock(ports_.mutex_);
            const auto found = ports_.lines_.find(port);
            if (found == ports_.lines_.end()) {
                throw CSerialException(ENOENT);
            }
            Line& hardware = found->second;
            if (hardware.openError != 0) {
                throw CSerialException(hardware.openError);
            }
            if (hardware.open) {
                throw CSerialException(EBUSY);
            }
            hardware.open = true;
            ++hardware.opens;
            hardware.timeouts.reset();
            port_ = port;
            if (hardware.settingsError != 0) {
                throw CSerialException(hardware.settingsError);
            }
            hardware.settings = line;
        }
        void Close() override {
            if (port_) {
                std::lock_guard lock(ports_.mutex_);
                Line& hardware = ports_.lines_[*port_];
                hardware.open = false;
                hardware.discarded += std::exchange(hardware.outputQueue, 0);
                port_.reset();
            }
        }
        bool IsOpen() const override { return port_.has_value(); }
        std::size_t Read(std::span<std::uint8_t> buffer) override {
            std::lock_guard lock(ports_.mutex_);
            Line& hardware = Hardware();
            if (hardware.readError != 0) {
                throw CSerialException(hardware.readError);
            }
            const std::size_t count = std::min(buffer.size(), hardware.input.size());
            std::copy_n(hardware.input.begin(), count, buffer.begin());
            hardware.input.erase(hardware.input.begin(),
                                 hardware.input.begin() + static_cast<std::ptrdiff_t>(count));
            return count;
        }
        std::size_t Write(std::span<const std::uint8_t> bytes) override {
            std::lock_guard lock(ports_.mutex_);
            Line& hardware = Hardware();
            if (hardware.writeError != 0) {
                throw CSerialException(hardware.writeError);
            }
            const std::size_t count = std::min(bytes.size(), hardware.writeCapacity);
            hardware.written.insert(hardware.written.end(), bytes.begin(), bytes.begin() + count);
            return count;
        }
        SerialQueueStatus QueryStatus() override {
            std::lock_guard lock(ports_.mutex_);
            Line& hardware = Hardware();
            const SerialQueueStatus status{hardware.input.size(), hardware.outputQueue};
            hardware.outputQueue -= std::min(hardware.outputQueue, hardware.sentPerQuery);
            return status;
        }
        void SetTimeouts(const SerialTimeouts& timeouts) override {
            std::lock_guard lock(ports_.mutex_);
            Hardware().timeouts = timeouts;
        }

    private:
        Line& Hardware() {
            if (!port_) {
                throw CSerialException(EBADF);
            }
            return ports_.lines_[*port_];
        }

        FakeSerialPorts& ports_;
        std::optional<int> port_;
    };

    std::mutex mutex_;
    std::map<int, Line> lines_;
};

} // namespace qx44::test
