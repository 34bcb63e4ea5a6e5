#pragma once

#include "core/common/CancelToken.h"
#include "core/common/IBeeper.h"
#include "core/hostlink/IHostMessageSink.h"
#include "core/hostlink/IHostSender.h"
#include "core/hostlink/ISerialDevice.h"
#include "core/interpreter/HostCommandHandler.h"
#include "core/interpreter/MediaCommands.h"
#include "core/interpreter/SerialPassThrough.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qx44 {

class CConsoleWin;
class CVantorBar;
class IPictureDisplay;

// The station's command interpreter: runs every host message on the receive thread and frames
// everything the station says to the host.
class CVantorCmd : public IHostMessageSink {
public:
    static constexpr std::size_t kMaxReply = 6;
    using ReplyBuffer = std::array<std::uint8_t, kMaxReply>;
    // A host text field is copied into an area of this size, leaving room for its terminator.
    static constexpr std::size_t kTextArea = 256;

    // Reads the station address and the beeper pitch once, from the settings file. The serial
    // ports are made by `serialDevices` and stay closed until first used.
    CVantorCmd(CConsoleWin& textScreen, CVantorBar& statusLine, IHostSender& host,
               ISerialDeviceFactory& serialDevices, IBeeper& beeper);

    // Whether a handler runs for `code`; any other code is framed and ignored.
    static bool Handles(std::uint8_t code);

    void DispatchHostMessage(std::uint8_t address, std::uint8_t code,
                             std::span<const std::uint8_t> message,
                             const CancelToken& connectionClosing) override;
    void ShowHostPicture(int column, int row, const std::string& path) override;
    // The windows that draw host pictures over the two screens; row 255 means the status line.
    // Set before the host link starts; a picture for a screen without one is left alone.
    void SetPictureDisplays(IPictureDisplay* textScreen, IPictureDisplay* statusLine);
    void HoldScreenRepaint(bool hold) override;
    // Where the host's play and stop commands go; set before the host link starts.
    void SetMediaRequestSink(IMediaRequestSink* sink) { media_.SetRequestSink(sink); }

    // True until the first host message has been dispatched; read by the UI thread when a host
    // connects.
    bool IsInfoScreenPending() const { return infoScreenPending_.load(); }

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

    // Set by the station at its initialisation, before its timers start: Main/UsbMap and
    // Main/UsbEnabled.
    void SetPrinterPortNumber(int port) { serialPorts_.SetPrinterPortNumber(port); }
    void SetUsbPrinterEnabled(bool enabled) { serialPorts_.SetUsbPrinterEnabled(enabled); }

    void EnsureSerialOpen(int k) { serialPorts_.EnsureSerialOpen(k); }
    bool EnsurePrinterOpen() { return serialPorts_.EnsurePrinterOpen(); }
    // Forwards at most one waiting byte from each port to the host. The station calls it
    // from timer 1 while a host is connected and from timer 2 always, on the UI thread.
    void PollSerialPorts();

    // The tone the station gives when it starts, held for its whole length unless `cancel` ends
    // it.
    void StartupBeep();
    void StartupBeep(const CancelToken& cancel);

private:
    using Message = std::span<const std::uint8_t>;
    // The handler of every code the station acts on, joined by code to the host message table.
    struct Handlers;

    // Screen commands.
    void SetGridMode(Message message);
    void ClearWithAttributeValue(Message message);
    void DrawFramedBox(Message message);
    void PutLongText(Message message);
    void FillWithCharacter(Message message);
    void PutIndexedText(Message message);
    void PutTextOrStatusText(Message message);
    void PutStatusText(Message message);
    void ClearWithBackground(Message message);
    void DrawTable(Message message);

    // Device commands.
    void BeepAtPitch(Message message, const CancelToken& connectionClosing);
    void BeepAtStep(Message message, const CancelToken& connectionClosing);
    void WriteToSerial(int k, Message message);
    void WriteToPrinter(Message message);
    void ReplyPortStatus(Message message, const CancelToken& connectionClosing);
    void Acknowledge();

    void Reply(std::uint8_t code, std::uint8_t value);
    void Reply(std::uint8_t code, std::uint8_t value, std::uint8_t value2);

    std::uint8_t Address() const { return static_cast<std::uint8_t>(stationAddress_); }
    void SendCell(std::uint8_t code, int column, int row);

    CConsoleWin& textScreen_;
    CVantorBar& statusLine_;
    IHostSender& host_;
    std::atomic<bool> infoScreenPending_{true};
    std::atomic<IPictureDisplay*> textPictures_{nullptr};
    std::atomic<IPictureDisplay*> statusPictures_{nullptr};
    int beeperPitch_;
    int stationAddress_;
    // The printer port number, Serial1, Serial2, the printer switch, the printer port and its
    // busy flag.
    SerialPassThrough serialPorts_;
    IBeeper& beeper_;
    MediaCommands media_;
};

} // namespace qx44
