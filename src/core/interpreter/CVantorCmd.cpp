#include "core/interpreter/CVantorCmd.h"

#include "core/common/Log.h"
#include "core/hostlink/StationMessage.h"
#include "core/interpreter/HostCommandFields.h"
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

constexpr std::uint8_t kMouseDown = 0x2C;
constexpr std::uint8_t kMouseUp = 0x2D;
constexpr std::uint8_t kMouseDoubleClick = 0x55;
constexpr std::uint8_t kSpace = 32;
constexpr std::uint8_t kAcknowledge = 0x35;
constexpr std::uint8_t kPortStatus = 0x34;

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
    if (const HostCommand* command = FindCommand(code)) {
        command->handler(*this, message, connectionClosing);
        return;
    }
    Log::Note(LogArea::Commands, [&] {
        return "ignored command code " + Log::Hex(code) + " (" + std::to_string(message.size()) +
               " bytes)";
    });
}

std::span<const HostCommand> CVantorCmd::Commands() {
    using F = HostCommandFields;
    using M = Message;
    using C = const CancelToken&;
    static constexpr std::array kCommands{
        HostCommand{.code = 0x05,
                    .name = "grid mode",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.SetGridMode(m); },
                    .fields = F::GridMode},
        HostCommand{.code = 0x09,
                    .name = "clear",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.ClearWithAttributeValue(m); },
                    .fields = F::ClearWithAttributeValue},
        HostCommand{.code = 0x0A,
                    .name = "box",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.DrawFramedBox(m); },
                    .fields = F::Box},
        HostCommand{.code = 0x0D,
                    .name = "long text",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutLongText(m); },
                    .fields = F::LongText},
        HostCommand{.code = 0x0E,
                    .name = "fill",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.FillWithCharacter(m); },
                    .fields = F::Fill},
        HostCommand{.code = 0x0F,
                    .name = "serial1",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.WriteToSerial(1, m); },
                    .fields = F::OutputData},
        HostCommand{.code = 0x10,
                    .name = "beep",
                    .handler = [](CVantorCmd& cmd, M m, C closing) { cmd.BeepAtPitch(m, closing); },
                    .fields = F::BeepAtPitch},
        HostCommand{.code = 0x11,
                    .name = "query",
                    .handler = [](CVantorCmd& cmd, M, C) { cmd.Reply(0x14, 0x10); }},
        HostCommand{.code = 0x1F,
                    .name = "serial2",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.WriteToSerial(2, m); },
                    .fields = F::OutputData},
        HostCommand{.code = 0x22,
                    .name = "beep",
                    .handler = [](CVantorCmd& cmd, M m, C closing) { cmd.BeepAtStep(m, closing); },
                    .fields = F::BeepAtStep},
        HostCommand{.code = 0x23,
                    .name = "text",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutIndexedText(m); },
                    .fields = F::IndexedText},
        HostCommand{.code = 0x2C,
                    .name = "query",
                    .handler = [](CVantorCmd& cmd, M, C) { cmd.Reply(0x2B, 0x01); }},
        HostCommand{.code = 0x2D,
                    .name = "query",
                    .handler = [](CVantorCmd& cmd, M, C) { cmd.Reply(0x2E, 0x00, 0x00); }},
        HostCommand{.code = 0x32,
                    .name = "status text",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutStatusText(m); },
                    .fields = F::StatusText},
        HostCommand{
            .code = 0x35,
            .name = "media list",
            .handler = [](CVantorCmd& cmd, M, C) { cmd.media_.ListMediaFiles(cmd.Address()); }},
        HostCommand{.code = 0x3E,
                    .name = "clear",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.ClearWithBackground(m); },
                    .fields = F::ClearWithBackground},
        HostCommand{.code = 0x3F,
                    .name = "table",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.DrawTable(m); },
                    .fields = F::Table},
        HostCommand{.code = 0x40,
                    .name = "play list",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.media_.PlayMediaList(m); },
                    .fields = F::PlayList},
        HostCommand{.code = 0x41,
                    .name = "stop media",
                    .handler = [](CVantorCmd& cmd, M, C) { cmd.media_.StopMedia(); }},
        HostCommand{
            .code = 0x42,
            .name = "port status",
            .handler = [](CVantorCmd& cmd, M m, C closing) { cmd.ReplyPortStatus(m, closing); },
            .fields = F::PortStatus},
        HostCommand{.code = 0x50,
                    .name = "printer",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.WriteToPrinter(m); },
                    .fields = F::OutputData},
        HostCommand{.code = 0x78,
                    .name = "text",
                    .handler = [](CVantorCmd& cmd, M m, C) { cmd.PutTextOrStatusText(m); },
                    .fields = F::IndexedText},
    };
    return kCommands;
}

const HostCommand* CVantorCmd::FindCommand(std::uint8_t code) {
    // Built once from the table, so dispatching a message is one look-up.
    static const auto kByCode = [] {
        std::array<const HostCommand*, 256> byCode{};
        for (const HostCommand& command : Commands()) {
            byCode[command.code] = &command;
        }
        return byCode;
    }();
    return kByCode[code];
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
            Reply(kPortStatus, kPrinterStatusPort, status);
        });
        return;
    }
    Reply(kPortStatus, port, serialPorts_.SerialStatus(port));
}

void CVantorCmd::Acknowledge() {
    SendToHost(StationMessage(Address(), kAcknowledge).Bytes());
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
    SendCell(kMouseDown, column, row);
}

void CVantorCmd::SendMouseUp(int column, int row) {
    SendCell(kMouseUp, column, row);
}

void CVantorCmd::SendMouseDoubleClick(int column, int row) {
    SendCell(kMouseDoubleClick, column, row);
}

void CVantorCmd::SendCell(std::uint8_t code, int column, int row) {
    SendToHost(StationMessage(Address(), code, static_cast<std::uint8_t>(column),
                              static_cast<std::uint8_t>(row))
                   .Bytes());
}

} // namespace qx44
