#include "core/station/AbsentSerialPorts.h"

#include "core/hostlink/CSerialException.h"

#include <cerrno>

namespace qx44 {

namespace {

class AbsentDevice : public ISerialDevice {
public:
    void Open(int, const SerialLineSettings&) override { throw CSerialException(ENOENT); }
    void Close() override {}
    bool IsOpen() const override { return false; }
    std::size_t Read(std::span<std::uint8_t>) override { return 0; }
    std::size_t Write(std::span<const std::uint8_t>) override { return 0; }
    SerialQueueStatus QueryStatus() override { return {}; }
    void SetTimeouts(const SerialTimeouts&) override {}
};

} // namespace

std::unique_ptr<ISerialDevice> AbsentSerialPorts::CreateDevice() {
    return std::make_unique<AbsentDevice>();
}

} // namespace qx44
