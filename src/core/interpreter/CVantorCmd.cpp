#include "core/interpreter/CVantorCmd.h"

#include "core/hostlink/StationMessage.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>

namespace qx44 {

namespace {

constexpr std::uint8_t kMouseDown = 0x2C;
constexpr std::uint8_t kMouseUp = 0x2D;
constexpr std::uint8_t kMouseDoubleClick = 0x55;

} // namespace

CVantorCmd::CVantorCmd(IHostSender& host)
    : host_(host), beeperPitch_(CQX44Setting().GetPitch()),
      stationAddress_(CQX44Setting().GetAddress()) {}

namespace {

std::size_t CopyReply(CVantorCmd::ReplyBuffer& buffer, const StationMessage& message) {
    const auto bytes = message.Bytes();
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return bytes.size();
}

} // namespace

std::size_t CVantorCmd::FrameReply(ReplyBuffer& buffer, std::uint8_t code) const {
    return CopyReply(buffer, StationMessage(Address(), code));
}

std::size_t CVantorCmd::FrameReply(ReplyBuffer& buffer, std::uint8_t code,
                                   std::uint8_t value) const {
    return CopyReply(buffer, StationMessage(Address(), code, value));
}

std::size_t CVantorCmd::FrameReply(ReplyBuffer& buffer, std::uint8_t code, std::uint8_t value,
                                   std::uint8_t value2) const {
    return CopyReply(buffer, StationMessage(Address(), code, value, value2));
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
