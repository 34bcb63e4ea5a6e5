#pragma once

#include "core/common/SteadyClock.h"
#include "core/control/ControlCommands.h"
#include "core/control/ControlServer.h"
#include "core/devices/DeviceControlCommands.h"
#include "core/devices/SerialDeviceRouter.h"
#include "core/hostlink/HostLink.h"
#include "core/hostlink/IHostLinkEvents.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/keyboard/IKeyRoutingWindow.h"
#include "core/media/CVideoPlayer.h"
#include "core/media/IMediaRequestSink.h"
#include "core/media/IMediaWindow.h"
#include "core/media/MediaRequests.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IScreenMouse.h"
#include "core/screen/StationInfoScreen.h"
#include "core/screen/StatusIndicators.h"
#include "platform/AlsaBeeper.h"
#include "platform/PseudoTerminalFactory.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "ui/app/QtControlStation.h"
#include "ui/app/QtUiThread.h"
#include "ui/app/TerminalKeyboard.h"
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

// The terminal's main window: the text screen over the status line, the host link and the
// interpreter, driven from the Qt event loop (accepting, the two timers, closes posted by receive
// threads, keys and clicks), and the media player that takes the screens' place while a list
// plays. Nothing the user does ends it.
class CQX44SimDlg : public QWidget,
                    private IHostLinkEvents,
                    private IScreenMouse,
                    private IKeyRoutingWindow,
                    private IMediaWindow,
                    private IMediaRequestSink {
    Q_OBJECT

public:
    static constexpr int kTimer1Ms = 200;
    static constexpr int kTimer2Ms = 1000;
    static constexpr int kStatusLineHeight = 60;
    // How long the start waits for the window system to put the window on the screen.
    static constexpr int kShownWaitMs = 1000;
    static constexpr int kSetupComPorts = 8;

    // `trace` hears every byte of every host session (`--trace`).
    explicit CQX44SimDlg(QWidget* parent = nullptr, IHostTrace& trace = IHostTrace::None());
    ~CQX44SimDlg() override;

    // Once the window is placed: listener, timers, start tone, information screen, settings.
    void Initialise();
    // The control port's port instead of Control/Port's; call before Initialise.
    void SetControlPort(int port) { controlPort_ = port; }
    // Where the program adds control commands of its own (the devices').
    ControlCommands& Control() { return controlCommands_; }

    const CConsoleWin& TextScreen() const { return textScreen_; }
    const CVantorBar& StatusLine() const { return statusLine_; }
    const ScreenView& TextView() const { return textView_; }
    const StatusLineView& StatusView() const { return statusView_; }
    const StatusIndicators& Indicators() const { return indicators_; }
    const HostLink& Link() const { return hostLink_; }
    const PlayerWindow& Player() const { return playerWindow_; }
    const MediaRequests& Media() const { return media_; }
    // The local browser last opened, or nullptr.
    const CLocalVideoDlg* LocalBrowser() const { return localBrowser_.get(); }
    // The control port's `serial` and `printer` commands on this station's devices.
    DeviceControlCommands& DeviceCommands() { return deviceCommands_; }
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
    void StartControlPort();
    void PaintStatusLineNow();
    void LayOutScreens();
    void OnTimer1();
    void OnTimer2();
    void RefreshStationInfo(std::string_view host);

    void SetNetworkState(int state) override;
    void HostConnected(std::string_view peerAddress) override;

    void MouseDown(int column, int row) override;
    void MouseUp(int column, int row) override;
    void MouseDoubleClick(int column, int row) override;

    void ClosePlayer() override { media_.ClosePlayer(); }
    bool MediaRequest(const std::vector<std::string>* list) override {
        return media_.MediaRequest(list);
    }
    void OpenLocalBrowser() override;
    void OnLocalBrowserClosed(int result);

    void HideTerminalScreens() override;
    void ShowTerminalScreens() override;
    void ClearKeyDownRecord() override { keyboard_.ClearKeyDownRecord(); }

    void ClearLocalMode() override { player_.SetLocalMode(false); }
    void PostMediaRequest(int request, std::vector<std::string> playList) override;

    QtUiThread ui_{this};
    CConsoleWin textScreen_;
    CVantorBar statusLine_;
    QtMessageBox messageBox_{this};
    ScreenView textView_;
    StatusLineView statusView_;
    StatusIndicators indicators_;
    StationInfoScreen stationInfo_{textScreen_, statusLine_};
    // Main/StatusLn, read once at construction.
    bool statusLineShown_;
    TermiosSerialDeviceFactory machineSerialDevices_;
    PseudoTerminalFactory pseudoTerminals_;
    // The program's own devices live here for the whole run, beyond any port's closing.
    SerialDeviceRouter serialDevices_{machineSerialDevices_, pseudoTerminals_};
    DeviceControlCommands deviceCommands_{serialDevices_};
    AlsaBeeper beeper_;
    // The interpreter outlives the host link, whose receive thread calls into it.
    CVantorCmd cmd_;
    HostLink hostLink_;
    TerminalKeyboard keyboard_;
    SteadyClock clock_;
    MpvEngine engine_;
    PlayerWindow playerWindow_{engine_, this};
    CVideoPlayer player_{engine_, playerWindow_, clock_, keyboard_.KeyState()};
    MediaRequests media_{player_, *this};
    std::unique_ptr<QSocketNotifier> acceptNotifier_;
    QTimer timer1_;
    QTimer timer2_;
    // LocalVideo/Folder, read at initialisation.
    std::string localFolder_;
    // Kept until the next one opens; it uses the keyboard's key-state table, so it goes first.
    std::unique_ptr<CLocalVideoDlg> localBrowser_;
    QtControlStation controlStation_{*this, textScreen_, statusLine_, hostLink_};
    ControlCommands controlCommands_{controlStation_, *this};
    std::optional<int> controlPort_;
    std::unique_ptr<ControlServer> controlServer_;
};

} // namespace qx44
