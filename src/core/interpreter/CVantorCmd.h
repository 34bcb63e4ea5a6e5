#pragma once

#include "core/hostlink/IHostSender.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qx44 {

// The station's command interpreter: runs the host's commands and frames everything the station
// says to the host.
class CVantorCmd {
public:
    static constexpr std::size_t kMaxReply = 6;
    using ReplyBuffer = std::array<std::uint8_t, kMaxReply>;

    // Reads the station address and the beeper pitch once, from the settings file.
    explicit CVantorCmd(IHostSender& host);

    // Station-to-host envelopes: STX, station address, code, zero to two values, ETX.
    std::size_t FrameReply(ReplyBuffer& buffer, std::uint8_t code) const;
    std::size_t FrameReply(ReplyBuffer& buffer, std::uint8_t code, std::uint8_t value) const;
    std::size_t FrameReply(ReplyBuffer& buffer, std::uint8_t code, std::uint8_t value,
                           std::uint8_t value2) const;

    void SendToHost(std::span<const std::uint8_t> bytes) { host_.SendToHost(bytes); }

    void SendMouseDown(int column, int row);
    void SendMouseUp(int column, int row);
    void SendMouseDoubleClick(int column, int row);

    int StationAddress() const { return stationAddress_; }
    int BeeperPitch() const { return beeperPitch_; }

private:
    std::uint8_t Address() const { return static_cast<std::uint8_t>(stationAddress_); }
    void SendCell(std::uint8_t code, int column, int row);

    IHostSender& host_;
    int beeperPitch_;
    int stationAddress_;
};

} // namespace qx44
