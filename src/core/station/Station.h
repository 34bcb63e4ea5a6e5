#pragma once

#include "core/common/IBeeper.h"
#include "core/common/IUiThread.h"
#include "core/control/ControlCommands.h"
#include "core/control/IControlStation.h"
#include "core/devices/DeviceControlCommands.h"
#include "core/devices/IDeviceEvents.h"
#include "core/devices/IPseudoTerminalFactory.h"
#include "core/devices/SerialDeviceRouter.h"
#include "core/hostlink/HostLink.h"
#include "core/hostlink/IHostLinkEvents.h"
#include "core/hostlink/IHostTrace.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IScreenMouse.h"
#include "core/screen/StationInfoScreen.h"
#include "core/screen/StatusIndicators.h"
#include "core/station/AbsentSerialPorts.h"
#include "core/station/IStationListener.h"
#include "core/station/StationTerminal.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace qx44 {

class IPictureDisplay;

// The platform's pieces a station is built from, handed in by its shell, which keeps them alive
// for the station's whole life.
struct StationConfig {
    // Where the receive thread hands work over: the shell's event loop.
    IUiThread& ui;
    IBeeper& beeper;
    IStationListener& listener;
    // The machine's serial ports; none: every port is absent and never polled.
    ISerialDeviceFactory* serialPorts = nullptr;
    // With serial ports: [Ports] COM<n> may put the program's own devices in front of them, and
    // the control port gets its `serial` and `printer` commands.
    IPseudoTerminalFactory* pseudoTerminals = nullptr;
    // The program's devices for COM 1 to this are made at once, so their paths are known.
    int preparedComPorts = 0;
    // The player's engine and view; without them the station has no keyboard or player.
    IMediaEngine* mediaEngine = nullptr;
    IVideoPlayerView* playerView = nullptr;
    // The host port instead of Net/PortNum; 0 takes a free one.
    std::optional<std::uint16_t> hostPort = std::nullopt;
    // The host's picture transfer file.
    std::string transferPath = "./tmp.bmp";
    IHostTrace& trace = IHostTrace::None();
    // For tests of the interpreter alone: it speaks to this instead of the host link.
    IHostSender* host = nullptr;
};

// The whole station without a window. It owns the text screen, the status line and its icons,
// the information screen, the interpreter, the host link, the serial ports with the program's
// own devices, the control port's command table, and (given a media engine) the key routing and
// the player's logic; the interpreter and the host link are wired here and nowhere else.
//
// Threads: the shell's UI thread builds it and calls every method; the host link's receive
// thread runs the interpreter over the screens and posts to the UI thread. The shell reports
// back only through its IStationListener, called on the UI thread.
//
// The shell calls Listen, then AcceptHost whenever the listener is readable, OnTimer1 at each
// send opportunity and OnTimer2 each second; the control server it runs (outside the station)
// serves Control(). Before its views go it calls Stop.
class Station : private IHostLinkEvents, private IScreenMouse, private IDeviceEvents {
public:
    explicit Station(const StationConfig& config);
    Station(const Station&) = delete;
    Station& operator=(const Station&) = delete;
    ~Station() override;

    // On Net/PortNum (or the configured port) and Net/Bind; false, logged, when they are wrong or
    // the port is taken.
    bool Listen();
    bool Listen(std::uint16_t port, in_addr address) { return link_.StartListening(port, address); }
    void AcceptHost() { link_.AcceptHost(); }
    // Timer 1: the host's send opportunity, then the serial ports while a host is connected.
    void OnTimer1();
    // Timer 2: the serial ports and the keyboard icon.
    void OnTimer2(bool keyboardPresent);

    // The start tone when Main/Beeping asks for it; it holds the caller for its whole length.
    void SoundStartTone();
    // Draws the information screen; from then on a host that connects before its first message
    // sees its address there.
    void ShowStationInfo();
    // The printer port, the key routing's shortcuts and the player's settings.
    void LoadSettings();
    // Closes the host connection and lets go of the shell's views; after it no thread of the
    // station calls into the shell.
    void Stop();

    // The windows that draw host pictures over the two screens; nullptr for none.
    void SetPictureDisplays(IPictureDisplay* textScreen, IPictureDisplay* statusLine);

    CConsoleWin& TextScreen() { return textScreen_; }
    const CConsoleWin& TextScreen() const { return textScreen_; }
    CVantorBar& StatusLine() { return statusLine_; }
    const CVantorBar& StatusLine() const { return statusLine_; }
    StatusIndicators& Indicators() { return indicators_; }
    const StatusIndicators& Indicators() const { return indicators_; }
    const HostLink& Link() const { return link_; }
    CVantorCmd& Interpreter() { return cmd_; }
    // Where the screen views report clicks.
    IScreenMouse& Mouse() { return *this; }
    // The control port's table; the shell adds its own commands and serves it.
    ControlCommands& Control() { return control_; }
    // Only with the program's own devices.
    DeviceControlCommands* DeviceCommands() { return deviceCommands_.get(); }
    // Only with a media engine.
    StationTerminal* Terminal() { return terminal_.get(); }
    const StationTerminal* Terminal() const { return terminal_.get(); }
    // Both screens as a ScreenDump document.
    std::string Dump() const;

private:
    ISerialDeviceFactory& SerialPorts(const StationConfig& config);
    void RefreshStationInfo(std::string_view host);

    void SetNetworkState(int state) override;
    void HostConnected(std::string_view peerAddress) override;

    void MouseDown(int column, int row) override { cmd_.SendMouseDown(column, row); }
    void MouseUp(int column, int row) override { cmd_.SendMouseUp(column, row); }
    void MouseDoubleClick(int column, int row) override { cmd_.SendMouseDoubleClick(column, row); }

    // From the device's thread: handed to the listener on the UI thread.
    void ReceiptPrinted(int port, std::string_view text) override;
    void SerialWritten(int port, std::span<const std::uint8_t> bytes) override;

    IUiThread& ui_;
    IStationListener& listener_;
    const bool hasSerialPorts_;
    const std::optional<std::uint16_t> hostPort_;
    CConsoleWin textScreen_;
    CVantorBar statusLine_;
    StatusIndicators indicators_;
    StationInfoScreen stationInfo_{textScreen_, statusLine_};
    bool stationInfoShown_ = false;
    AbsentSerialPorts absentPorts_;
    // The program's own devices live here for the whole run, beyond any port's closing.
    std::unique_ptr<SerialDeviceRouter> router_;
    std::unique_ptr<DeviceControlCommands> deviceCommands_;
    // The interpreter outlives the host link, whose receive thread calls into it.
    CVantorCmd cmd_;
    HostLink link_;
    std::unique_ptr<StationTerminal> terminal_;

    // The station as the control port's commands see it; what needs a window goes to the shell.
    class ControlView : public IControlStation {
    public:
        explicit ControlView(Station& station) : station_(station) {}
        ScreenSnapshot TextScreen() const override;
        ScreenSnapshot StatusLine() const override;
        HostLinkState HostState() const override;
        std::optional<int> HostPort() const override;
        PlayerState Player() const override;
        void InjectKey(const NamedKey& key, bool down) override;
        std::string SavePicture(const std::string& path) override;
        void Shutdown() override;

    private:
        Station& station_;
    };
    ControlView controlView_{*this};
    ControlCommands control_{controlView_, *this};
};

} // namespace qx44
