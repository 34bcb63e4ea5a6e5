#include "core/interpreter/CVantorCmd.h"

#include "core/common/Log.h"
#include "core/hostlink/StationMessage.h"
#include "core/protocol/HostCommandFields.h"
#include "core/protocol/HostMessageTable.h"
#include "core/protocol/StationMessageTable.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CGlobalFunction.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IPictureDisplay.h"
#include "core/settings/CQX44Setting.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace qx44 {

namespace {

constexpr std::uint8_t kSpace = 32;

constexpr std::chrono::milliseconds kBeepUnit{kBeepUnitMs};
constexpr std::chrono::milliseconds kStartupBeep{750};

// The host's sixteen colour numbers as palette indexes.
constexpr std::array<int, 16> kColourTable = {215, 210, 191, 186, 29, 29, 57, 234,
                                              212, 210, 185, 108, 35, 30, 5,  0};

int AttributeFromColourByte(std::uint8_t colour) {
    return CGlobalFunction::MakeAttr(kColourTable[colour >> 4], kColourTable[colour & 0x0F]);
}

// The framing guarantees each command's length; a message shorter than its fixed fields
// (only possible from a caller that skipped the framing) is not run.
bool Holds(std::span<const std::uint8_t> message, std::size_t bytes) {
    return message.size() >= bytes;
}

// A text field of `count` bytes at `offset`, as much of it as the message holds and the
// handler's text area takes.
std::span<const std::uint8_t> TextField(std::span<const std::uint8_t> message, std::size_t offset,
                                        std::size_t count) {
    if (offset >= message.size()) {
        return {};
    }
    return message.subspan(offset,
                           std::min({count, CVantorCmd::kTextArea - 1, message.size() - offset}));
}

// The data of an output command: byte 3 counts it and it starts at byte 4. Empty for a message
// that does not hold its count, which a caller that skipped the framing could send.
std::optional<std::span<const std::uint8_t>> OutputData(std::span<const std::uint8_t> message) {
    constexpr std::size_t kOffset = 4;
    if (!Holds(message, kOffset) || !Holds(message, kOffset + message[3])) {
        return std::nullopt;
    }
    return message.subspan(kOffset, message[3]);
}

std::size_t CopyReply(CVantorCmd::ReplyBuffer& buffer, const StationMessage& message) {
    const auto bytes = message.Bytes();
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return bytes.size();
}

} // namespace

struct CVantorCmd::Handlers {
    using M = Message;
    using C = const CancelToken&;
    using S = StationMessageTable;
    static constexpr std::array kRows{
        HostCommandHandler{.code = 0x05,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.SetGridMode(m); }},
        HostCommandHandler{
            .code = 0x09,
            .handler = [](CVantorCmd& cmd, M m, C) { cmd.ClearWithAttributeValue(m); }},
        HostCommandHandler{.code = 0x0A,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.DrawFramedBox(m); }},
        HostCommandHandler{.code = 0x0D,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutLongText(m); }},
        HostCommandHandler{.code = 0x0E,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.FillWithCharacter(m); }},
        HostCommandHandler{.code = 0x0F,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.WriteToSerial(1, m); }},
        HostCommandHandler{
            .code = 0x10,
            .handler = [](CVantorCmd& cmd, M m, C closing) { cmd.BeepAtPitch(m, closing); }},
        HostCommandHandler{
            .code = 0x11,
            .handler = [](CVantorCmd& cmd, M, C) { cmd.Reply(S::kAnswerTo11.code, 0x10); }},
        HostCommandHandler{.code = 0x1F,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.WriteToSerial(2, m); }},
        HostCommandHandler{
            .code = 0x22,
            .handler = [](CVantorCmd& cmd, M m, C closing) { cmd.BeepAtStep(m, closing); }},
        HostCommandHandler{.code = 0x23,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutIndexedText(m); }},
        HostCommandHandler{
            .code = 0x2C,
            .handler = [](CVantorCmd& cmd, M, C) { cmd.Reply(S::kAnswerTo2C.code, 0x01); }},
        HostCommandHandler{
            .code = 0x2D,
            .handler = [](CVantorCmd& cmd, M, C) { cmd.Reply(S::kAnswerTo2D.code, 0x00, 0x00); }},
        HostCommandHandler{.code = 0x32,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutStatusText(m); }},
        HostCommandHandler{
            .code = 0x35,
            .handler = [](CVantorCmd& cmd, M, C) { cmd.media_.ListMediaFiles(cmd.Address()); }},
        HostCommandHandler{.code = 0x3E,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.ClearWithBackground(m); }},
        HostCommandHandler{.code = 0x3F,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.DrawTable(m); }},
        HostCommandHandler{.code = 0x40,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.media_.PlayMediaList(m); }},
        HostCommandHandler{.code = 0x41,
                           .handler = [](CVantorCmd& cmd, M, C) { cmd.media_.StopMedia(); }},
        HostCommandHandler{
            .code = 0x42,
            .handler = [](CVantorCmd& cmd, M m, C closing) { cmd.ReplyPortStatus(m, closing); }},
        HostCommandHandler{.code = 0x50,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.WriteToPrinter(m); }},
        HostCommandHandler{.code = 0x78,
                           .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutTextOrStatusText(m); }},
    };

    // Built at compile time, so dispatching a message is one look-up.
    static constexpr std::array<HostCommandHandler::Handler, 256> kByCode = [] {
        std::array<HostCommandHandler::Handler, 256> byCode{};
        for (const HostCommandHandler& row : kRows) {
            byCode[row.code] = row.handler;
        }
        return byCode;
    }();

    static constexpr std::array<bool, 256> kHandled = [] {
        std::array<bool, 256> handled{};
        for (const HostCommandHandler& row : kRows) {
            handled[row.code] = true;
        }
        return handled;
    }();

    // Every handler has a named row of the host message table and every named row a handler, so
    // a code is framed, run and traced under one meaning. Codes, not pointers, are compared: GCC's
    // sanitizer builds cannot compare addresses at compile time.
    static constexpr bool kJoinedOneToOne = [] {
        std::size_t named = 0;
        for (const HostMessageKind& kind : HostMessageTable::kRows) {
            if (!kind.name.empty()) {
                ++named;
                if (!kHandled[kind.code]) {
                    return false;
                }
            }
        }
        for (const HostCommandHandler& row : kRows) {
            bool hasNamedRow = false;
            for (const HostMessageKind& kind : HostMessageTable::kRows) {
                hasNamedRow = hasNamedRow || (kind.code == row.code && !kind.name.empty());
            }
            if (!hasNamedRow) {
                return false;
            }
        }
        return named == kRows.size();
    }();
    static_assert(kJoinedOneToOne, "a host code has a handler without a named row or the reverse");
};

bool CVantorCmd::Handles(std::uint8_t code) {
    return Handlers::kHandled[code];
}

CVantorCmd::CVantorCmd(CConsoleWin& textScreen, CVantorBar& statusLine, IHostSender& host,
                       ISerialDeviceFactory& serialDevices, IBeeper& beeper)
    : textScreen_(textScreen), statusLine_(statusLine), host_(host),
      beeperPitch_(CQX44Setting().GetPitch()), stationAddress_(CQX44Setting().GetAddress()),
      serialPorts_(serialDevices), beeper_(beeper), media_(host) {}

void CVantorCmd::DispatchHostMessage(std::uint8_t, std::uint8_t code, Message message,
                                     const CancelToken& connectionClosing) {
    if (message.empty()) {
        return;
    }
    // Read first: a store to the flag on every message would cost more than the message.
    if (infoScreenPending_.load(std::memory_order_relaxed)) {
        infoScreenPending_ = false;
    }
    if (const HostCommandHandler::Handler handler = Handlers::kByCode[code]) {
        handler(*this, message, connectionClosing);
        return;
    }
    Log::Note(LogArea::Commands, [&] {
        return "ignored command code " + Log::Hex(code) + " (" + std::to_string(message.size()) +
               " bytes)";
    });
}

void CVantorCmd::ShowHostPicture(int column, int row, const std::string& path) {
    constexpr int kStatusLinePictureRow = 255;
    IPictureDisplay* display =
        row == kStatusLinePictureRow ? statusPictures_.load() : textPictures_.load();
    if (display != nullptr) {
        display->ShowPicture(column, row, path);
    }
}

void CVantorCmd::SetPictureDisplays(IPictureDisplay* textScreen, IPictureDisplay* statusLine) {
    textPictures_ = textScreen;
    statusPictures_ = statusLine;
}

void CVantorCmd::HoldScreenRepaint(bool hold) {
    textScreen_.HoldPaint(hold);
}

void CVantorCmd::SetGridMode(Message message) {
    if (Holds(message, 4)) {
        textScreen_.SetGridMode(message[3]);
    }
}

void CVantorCmd::ClearWithAttributeValue(Message message) {
    if (Holds(message, 8)) {
        textScreen_.FillArea(message[3], message[4], message[5], message[6], kSpace, message[7]);
    }
}

void CVantorCmd::DrawFramedBox(Message message) {
    if (Holds(message, 8)) {
        textScreen_.DrawBox(message[3], message[4], message[5], message[6],
                            AttributeFromColourByte(message[7]));
    }
}

void CVantorCmd::PutLongText(Message message) {
    if (Holds(message, 8)) {
        const std::size_t count = 256u * message[6] + message[7];
        textScreen_.PutText(message[3], message[4], TextField(message, 8, count),
                            AttributeFromColourByte(message[5]));
    }
}

void CVantorCmd::FillWithCharacter(Message message) {
    if (Holds(message, 9)) {
        textScreen_.FillArea(message[3], message[4], message[5], message[6], message[7],
                             AttributeFromColourByte(message[8]));
    }
}

void CVantorCmd::PutIndexedText(Message message) {
    if (Holds(message, 8)) {
        textScreen_.PutText(message[3], message[4], TextField(message, 8, message[7]),
                            CGlobalFunction::MakeAttr(message[5], message[6]));
    }
}

void CVantorCmd::PutTextOrStatusText(Message message) {
    if (!Holds(message, 8)) {
        return;
    }
    if (message[4] != kStatusLineRow) {
        PutIndexedText(message);
        return;
    }
    statusLine_.PutText(message[3], 0, TextField(message, 8, message[7]),
                        CGlobalFunction::MakeAttr(message[5], message[6]));
}

void CVantorCmd::PutStatusText(Message message) {
    if (Holds(message, 7)) {
        statusLine_.PutText(message[3], 0, TextField(message, 7, message[6]),
                            CGlobalFunction::MakeAttr(message[4], message[5]));
    }
}

void CVantorCmd::ClearWithBackground(Message message) {
    if (Holds(message, 8)) {
        textScreen_.FillArea(message[3], message[4], message[5], message[6], kSpace,
                             CGlobalFunction::MakeAttr(message[7], 0));
    }
}

void CVantorCmd::DrawTable(Message message) {
    if (Holds(message, 12)) {
        textScreen_.DrawTable(message[4], message[3], message[5], message[6], message[7],
                              message[8], message[9], message[10], message[11]);
    }
}

void CVantorCmd::PollSerialPorts() {
    serialPorts_.Poll([this](std::uint8_t code, std::uint8_t byte) { Reply(code, byte); });
}

void CVantorCmd::StartupBeep() {
    static const CancelToken never;
    StartupBeep(never);
}

void CVantorCmd::StartupBeep(const CancelToken& cancel) {
    beeper_.Beep(beeperPitch_, kStartupBeep, cancel);
}

void CVantorCmd::BeepAtPitch(Message message, const CancelToken& connectionClosing) {
    if (Holds(message, 4)) {
        beeper_.Beep(beeperPitch_, kBeepUnit * message[3], connectionClosing);
    }
}

void CVantorCmd::BeepAtStep(Message message, const CancelToken& connectionClosing) {
    if (Holds(message, 5)) {
        beeper_.Beep(kBeepBaseHz + kBeepStepHz * message[4], kBeepUnit * message[3],
                     connectionClosing);
    }
}

void CVantorCmd::WriteToSerial(int k, Message message) {
    const auto data = OutputData(message);
    if (data && serialPorts_.WriteSerial(k, *data)) {
        Acknowledge();
    }
}

void CVantorCmd::WriteToPrinter(Message message) {
    const auto data = OutputData(message);
    if (data && serialPorts_.WritePrinter(*data)) {
        Acknowledge();
    }
}

void CVantorCmd::ReplyPortStatus(Message message, const CancelToken& connectionClosing) {
    if (!Holds(message, 4)) {
        return;
    }
    const std::uint8_t port = message[3];
    if (port == kPrinterStatusPort) {
        serialPorts_.CheckPrinterStatus(connectionClosing, [this](std::uint8_t status) {
            Reply(StationMessageTable::kPortStatus.code, kPrinterStatusPort, status);
        });
        return;
    }
    Reply(StationMessageTable::kPortStatus.code, port, serialPorts_.SerialStatus(port));
}

void CVantorCmd::Acknowledge() {
    SendToHost(StationMessage(Address(), StationMessageTable::kAcknowledge.code).Bytes());
}

void CVantorCmd::Reply(std::uint8_t code, std::uint8_t value) {
    SendToHost(StationMessage(Address(), code, value).Bytes());
}

void CVantorCmd::Reply(std::uint8_t code, std::uint8_t value, std::uint8_t value2) {
    SendToHost(StationMessage(Address(), code, value, value2).Bytes());
}

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
    SendCell(StationMessageTable::kMouseDown.code, column, row);
}

void CVantorCmd::SendMouseUp(int column, int row) {
    SendCell(StationMessageTable::kMouseUp.code, column, row);
}

void CVantorCmd::SendMouseDoubleClick(int column, int row) {
    SendCell(StationMessageTable::kMouseDoubleClick.code, column, row);
}

void CVantorCmd::SendCell(std::uint8_t code, int column, int row) {
    SendToHost(StationMessage(Address(), code, static_cast<std::uint8_t>(column),
                              static_cast<std::uint8_t>(row))
                   .Bytes());
}

} // namespace qx44
