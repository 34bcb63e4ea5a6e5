#pragma once

#include "core/common/CancelToken.h"

#include <cstdint>
#include <span>
#include <string>

namespace qx44 {

// Where the framing delivers its results; the main window implements it. Every call comes from
// the connection's receive thread.
class IHostMessageSink {
public:
    virtual ~IHostMessageSink() = default;

    // One complete message from STX to ETX (cut to the hand-off area's size). A handler that
    // waits (a beep, a printer) waits on `connectionClosing`, which is cancelled when the
    // connection closes, so closing never waits for it.
    virtual void DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                                     std::span<const std::uint8_t> message,
                                     const CancelToken& connectionClosing) = 0;
    // A transferred picture file is complete and waits at `path`.
    virtual void ShowHostPicture(int column, int row, const std::string& path) = 0;
    // Brackets each cutting pass so paints requested meanwhile become one repaint.
    virtual void HoldScreenRepaint(bool hold) = 0;
};

} // namespace qx44
