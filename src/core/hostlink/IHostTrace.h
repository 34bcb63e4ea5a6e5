#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qx44 {

// Where the host link reports every byte it receives and sends, for a trace of the session.
// The framer calls it from the receive thread, the sender from any thread; the methods do
// nothing by default, so the untraced station pays one call per message.
class IHostTrace {
public:
    enum class DropReason : std::uint8_t {
        NotInMessage,    // bytes in front of an STX
        NoEtx,           // a message whose last byte by its length rule is not ETX
        PictureTooLarge, // the STX of a picture transfer whose size is not believed
        Unfinished,      // bytes still waiting for the rest of their message at the close
    };

    virtual ~IHostTrace() = default;

    virtual void HostConnected(std::string_view /*peer*/) {}
    virtual void HostClosed() {}
    // One complete message from STX to ETX, before it is handled.
    virtual void Received(std::span<const std::uint8_t> /*message*/) {}
    virtual void Dropped(std::span<const std::uint8_t> /*bytes*/, DropReason /*reason*/) {}
    // A picture transfer's bytes as they arrive, the first piece starting at its STX.
    virtual void PictureBytes(std::span<const std::uint8_t> /*bytes*/, bool /*first*/) {}
    // The picture's file is complete; `etxFollows` when the next byte is the closing ETX.
    virtual void PictureDone(bool /*etxFollows*/) {}
    // One message the station queued for the host.
    virtual void Sent(std::span<const std::uint8_t> /*message*/) {}

    // The trace that records nothing.
    static IHostTrace& None();
};

} // namespace qx44
