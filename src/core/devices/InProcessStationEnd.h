#pragma once

#include "core/hostlink/ISerialDevice.h"

namespace qx44 {

class InProcessDevice;

// The station's port on an in-process device. Nothing travels over a line, so every line setting
// is taken, a write is taken whole at once and a read never waits: what the device sent is
// already there or not.
class InProcessStationEnd : public ISerialDevice {
public:
    // The device outlives this end (the router that holds both drops this end first).
    explicit InProcessStationEnd(InProcessDevice& device) : device_(device) {}

    void Open(int port, const SerialLineSettings& line) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    std::size_t Read(std::span<std::uint8_t> buffer) override;
    std::size_t Write(std::span<const std::uint8_t> bytes) override;
    SerialQueueStatus QueryStatus() override;
    void SetTimeouts(const SerialTimeouts& timeouts) override;

private:
    void ThrowIfClosed() const;

    InProcessDevice& device_;
    bool open_ = false;
};

} // namespace qx44
