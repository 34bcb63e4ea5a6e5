#include "core/interpreter/CVantorCmd.h"

#include "core/hostlink/CCommand_Buffer.h"
#include "core/settings/CQX44Setting.h"

namespace qx44 {

namespace {

constexpr std::uint8_t kMouseDown = 0x2C;
constexpr std::uint8_t kMouseUp = 0x2D;
constexpr std::uint8_t kMouseDoubleClick = 0x55;

} // namespace

CVantorCmd::CVantorCmd(IHostSender& host)
    : host_(host), beeperPitch_(CQX44Setting().GetPitch()),
      stationAddress_(CQX44Setting().GetAddress()) {}

std::size_t CVantorCmd::FrameReply(ReplyBuffer& buffer, std::uint8_t code) const {
    buffer = {kStx, static_cast<std::uint8_t>(stationAddress_), code, kEtx};
    return 4;
}

std::size_t CVantorCmd::FrameReply(ReplyBuffer& buffer, std::uint8_t code,
                                   std::uint8_t value) const {
    buffer = {kStx, static_cast<std::uint8_t>(stationAddress_), code, value, kEtx};
    return 5;
}

std::size_t CVantorCmd::FrameReply(ReplyBuffer& buffer, std::uint8_t code, std::uint8_t value,
                                   std::uint8_t value2) const {
    buffer = {kStx, static_cast<std::uint8_t>(stationAddress_), code, value, value2, kEtx};
    return 6;
}

void CVantorCmd::SendMouseDown(int column, int row) {
    SendCell(kMouseDown, column, row);
}

void CVantorCmd::SendMouseUp(int column, int row) {
    SendCell(kMouseUp, column, row);
}

void CVantorCmd::SendMouseDoubleClick(int column, int row) {
    SendCell(kMouseDoubleClick, column, row);
}

void CVantorCmd::SendCell(std::uint8_t code, int column, int row) {
    ReplyBuffer reply;
    const std::size_t length =
        FrameReply(reply, code, static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row));
    SendToHost(std::span(reply).first(length));
}

} // namespace qx44
