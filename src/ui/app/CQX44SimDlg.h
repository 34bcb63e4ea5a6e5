#pragma once

#include "core/station/Station.h"
#include "platform/AlsaBeeper.h"
#include "platform/PseudoTerminalFactory.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "ui/app/QtControlStation.h"
#include "ui/app/QtUiThread.h"
#include "ui/app/TerminalKeyboard.h"
#include "ui/http/HttpServer.h"
#include "ui/media/CLocalVideoDlg.h"
#include "ui/media/MpvEngine.h"
#include "ui/media/PlayerWindow.h"
#include "ui/screen/ScreenView.h"
#include "ui/screen/StatusLineView.h"
#include "ui/widgets/QtMessageBox.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>

namespace qx44 {

// The terminal's main window: the views of the station's text screen over its status line,
// driven from the Qt event loop (accepting, the two timers, closes posted by receive threads,
// keys and clicks), and the media player's window that takes the screens' place while a list
// plays. The station itself is one member; nothing the user does ends it.
class CQX44SimDlg : public QWidget, private IStationListener {
    Q_OBJECT

public:
    static constexpr int kTimer1Ms = 200;
    static constexpr int kTimer2Ms = 1000;
    static constexpr int kStatusLineHeight = 60;
    // How long the start waits for the window system to put the window on the screen.
    static constexpr int kShownWaitMs = 1000;
    static constexpr int kSetupComPorts = 8;

    // `trace` hears every byte of every host session (`--trace`); `hostPort` is the port hosts
    // connect to instead of Net/PortNum's (0: a free one).
    explicit CQX44SimDlg(QWidget* parent = nullptr, IHostTrace& trace = IHostTrace::None(),
                         std::optional<std::uint16_t> hostPort = std::nullopt);
    ~CQX44SimDlg() override;

    // Once the window is placed: listener, timers, start tone, information screen, settings.
    void Initialise();
    // The web server's port instead of Http/Port's (0: a free one), and the commands its API runs;
    // call before Initialise.
    void SetHttp(std::optional<int> port, IControlTarget& commands) {
        httpPort_ = port;
        httpCommands_ = &commands;
    }
    // The web server, once it listens; its Port() is the one bound.
    const HttpServer* Http() const { return httpServer_.get(); }
    // The control port's commands on this station, which the program's control port serves.
    ControlCommands& Control() { return station_.Control(); }

    const CConsoleWin& TextScreen() const { return station_.TextScreen(); }
    const CVantorBar& StatusLine() const { return station_.StatusLine(); }
    const ScreenView& TextView() const { return textView_; }
    const StatusLineView& StatusView() const { return statusView_; }
    const StatusIndicators& Indicators() const { return station_.Indicators(); }
    const HostLink& Link() const { return station_.Link(); }
    const PlayerWindow& Player() const { return playerWindow_; }
    const MediaRequests& Media() const { return station_.Terminal()->Media(); }
    // The local browser last opened, or nullptr.
    const CLocalVideoDlg* LocalBrowser() const { return localBrowser_.get(); }
    // The control port's `serial` and `printer` commands on this station's devices.
    DeviceControlCommands& DeviceCommands() { return *station_.DeviceCommands(); }
    // The terminal's keyboard, whose repeat follows the window system's unless set otherwise.
    TerminalKeyboard& Keyboard() { return keyboard_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    // Keys released in another window never come back here.
    void changeEvent(QEvent* event) override;
    // Tab is a key for the host, not a focus move.
    bool focusNextPrevChild(bool) override { return false; }
    // A close request never ends the terminal.
    void closeEvent(QCloseEvent* event) override;

private:
    bool StartListening();
    void StartHttpServer();
    // The web viewers hear the player come and go.
    void StreamPlayer(bool shown);
    void PaintStatusLineNow();
    void LayOutScreens();
    void OnTimer1() { station_.OnTimer1(); }
    void OnTimer2() { station_.OnTimer2(keyboard_.IsKeyboardPresent()); }
    void OnLocalBrowserClosed(int result);

    void HideTerminalScreens() override;
    void ShowTerminalScreens() override;
    void OpenLocalBrowser() override;
    // What the web view's live stream reports.
    void HostConnected(std::string_view peer) override;
    void HostDisconnected() override;
    void ReceiptPrinted(int port, std::string_view text) override;
    void SerialWritten(int port, std::string_view bytes) override;
    void InjectKey(const NamedKey& key, bool down) override {
        controlStation_.InjectKey(key, down);
    }
    std::string SavePicture(const std::string& path) override {
        return controlStation_.SavePicture(path);
    }
    void Shutdown() override { controlStation_.Shutdown(); }

    QtUiThread ui_{this};
    QtMessageBox messageBox_{this};
    // Main/StatusLn, read once at construction.
    bool statusLineShown_;
    TermiosSerialDeviceFactory machineSerialDevices_;
    PseudoTerminalFactory pseudoTerminals_;
    AlsaBeeper beeper_;
    MpvEngine engine_;
    PlayerWindow playerWindow_{engine_, this};
    Station station_;
    ScreenView textView_;
    StatusLineView statusView_;
    TerminalKeyboard keyboard_;
    std::unique_ptr<QSocketNotifier> acceptNotifier_;
    QTimer timer1_;
    QTimer timer2_;
    // LocalVideo/Folder, read at initialisation.
    std::string localFolder_;
    // Kept until the next one opens; it uses the station's key-state table, so it goes first.
    std::unique_ptr<CLocalVideoDlg> localBrowser_;
    QtControlStation controlStation_{*this};
    std::optional<int> httpPort_;
    // The program's router; the station's own table until one is given.
    IControlTarget* httpCommands_ = nullptr;
    std::unique_ptr<HttpServer> httpServer_;
};

} // namespace qx44
