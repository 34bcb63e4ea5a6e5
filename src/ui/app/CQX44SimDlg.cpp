#include "ui/app/CQX44SimDlg.h"

#include "core/common/Log.h"
#include "core/settings/CQX44Setting.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QWindow>
#include <algorithm>

namespace qx44 {

CQX44SimDlg::CQX44SimDlg(QWidget* parent, IHostTrace& trace)
    : QWidget(parent), textView_(textScreen_, messageBox_, this),
      statusView_(statusLine_, messageBox_, this), statusLineShown_(CQX44Setting().GetStatusLn()),
      cmd_(textScreen_, statusLine_, hostLink_, serialDevices_, beeper_),
      hostLink_(cmd_, ui_, *this, "./tmp.bmp", trace),
      keyboard_(hostLink_, static_cast<std::uint8_t>(cmd_.StationAddress()), *this, player_) {
    // The COM numbers the setup dialog offers: their pseudo-terminals' paths are known at once.
    serialDevices_.Prepare(1, kSetupComPorts);
    controlCommands_.Register(
        "serial", std::string(DeviceControlCommands::kSerialUsage),
        [this](std::string_view arguments) { return deviceCommands_.Serial(arguments); });
    controlCommands_.Register(
        "printer", std::string(DeviceControlCommands::kPrinterUsage),
        [this](std::string_view arguments) { return deviceCommands_.Printer(arguments); });
    setWindowTitle("QX4400");
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    textView_.SetMouse(this);
    statusView_.SetMouse(this);
    statusView_.SetIndicators(&indicators_);
    indicators_.SetSurface(&statusView_);
    statusView_.setVisible(statusLineShown_);
    cmd_.SetPictureDisplays(&textView_, &statusView_);
    cmd_.SetMediaRequestSink(this);
    playerWindow_.SetPlayer(&player_);
    player_.LoadKeys();
    LayOutScreens();

    connect(&timer1_, &QTimer::timeout, this, &CQX44SimDlg::OnTimer1);
    connect(&timer2_, &QTimer::timeout, this, &CQX44SimDlg::OnTimer2);
}

CQX44SimDlg::~CQX44SimDlg() {
    // Control clients' last replies go out before the station they ask about goes.
    controlServer_.reset();
    // The notifier must go before the listening socket it watches; the receive thread, which
    // posts media requests, before the player they reach.
    acceptNotifier_.reset();
    hostLink_.CloseAllConnections();
    cmd_.SetMediaRequestSink(nullptr);
    indicators_.SetSurface(nullptr);
}

void CQX44SimDlg::Initialise() {
    StartListening();
    timer1_.start(kTimer1Ms);
    PaintStatusLineNow();
    const CQX44Setting settings;
    if (settings.GetBeeping()) {
        cmd_.StartupBeep();
    }
    RefreshStationInfo({});
    timer2_.start(kTimer2Ms);
    keyboard_.Start();
    cmd_.SetUsbPrinterEnabled(settings.GetUsbEnabled());
    cmd_.SetPrinterPortNumber(settings.GetUsbMap());
    player_.SetSlideSeconds(settings.GetAuto() ? settings.GetAtSecs() : -1);
    media_.SetMediaSwitch(settings.GetEnVideo());
    localFolder_ = settings.GetFolder();
    StartControlPort();
    setFocus();
}

void CQX44SimDlg::StartControlPort() {
    const CQX44Setting settings;
    const int port = controlPort_.value_or(settings.ReadInt("Control", "Port", 0));
    if (port == 0) {
        return;
    }
    if (port < 0 || port > 0xFFFF) {
        Log::Error(LogArea::Host, "cannot listen for control clients: port " +
                                      std::to_string(port) + " is not a TCP port number");
        return;
    }
    controlServer_ = std::make_unique<ControlServer>(controlCommands_, ui_,
                                                     settings.ReadString("Control", "Token", ""));
    if (!controlServer_->Start(static_cast<std::uint16_t>(port))) {
        controlServer_.reset();
    }
}

bool CQX44SimDlg::StartListening() {
    const CQX44Setting settings;
    const int port = settings.GetPortNum();
    const std::string bind = settings.GetBind();
    const auto address = CTCPIPListen::ParseAddress(bind);
    if (port < 0 || port > 0xFFFF) {
        Log::Error(LogArea::Host, "cannot listen: Net/PortNum=" + std::to_string(port) +
                                      " is not a TCP port number");
    } else if (!address) {
        Log::Error(LogArea::Host, "cannot listen: Net/Bind=" + bind + " is not an IPv4 address");
    }
    if (port < 0 || port > 0xFFFF || !address ||
        !hostLink_.StartListening(static_cast<std::uint16_t>(port), *address)) {
        messageBox_.ShowNotice("error when start tcp/ip socket");
        return false;
    }
    acceptNotifier_ =
        std::make_unique<QSocketNotifier>(hostLink_.Listener().Fd(), QSocketNotifier::Read);
    connect(acceptNotifier_.get(), &QSocketNotifier::activated, this,
            [this] { hostLink_.AcceptHost(); });
    return true;
}

// The start tone blocks the event loop, so the status line is painted before it, which needs the
// window to be on the screen already: a paint before that is dropped.
void CQX44SimDlg::PaintStatusLineNow() {
    QElapsedTimer waited;
    waited.start();
    while (isVisible() && windowHandle() != nullptr && !windowHandle()->isExposed() &&
           waited.elapsed() < kShownWaitMs) {
        QCoreApplication::processEvents(
            QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers, 10);
    }
    statusView_.repaint();
}

void CQX44SimDlg::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutScreens();
}

void CQX44SimDlg::LayOutScreens() {
    const QRect client = rect();
    statusView_.setGeometry(client.left(), client.bottom() + 1 - kStatusLineHeight, client.width(),
                            kStatusLineHeight);
    const int textHeight = statusLineShown_ ? client.height() - kStatusLineHeight : client.height();
    textView_.setGeometry(client.left(), client.top(), client.width(), std::max(textHeight, 0));
    playerWindow_.setGeometry(client);
}

void CQX44SimDlg::HideTerminalScreens() {
    textView_.hide();
    statusView_.hide();
}

void CQX44SimDlg::ShowTerminalScreens() {
    textView_.show();
    statusView_.setVisible(statusLineShown_);
    // Keys reach the text screen through this window.
    setFocus();
    textScreen_.InvalidateAll();
    statusLine_.InvalidateAll();
    textView_.update();
    statusView_.update();
}

void CQX44SimDlg::PostMediaRequest(int request, std::vector<std::string> playList) {
    ui_.Post([this, request, list = std::move(playList)] { media_.OnMediaRequest(request, list); });
}

void CQX44SimDlg::OpenLocalBrowser() {
    if (localBrowser_ && localBrowser_->isVisible()) {
        return;
    }
    localBrowser_ = std::make_unique<CLocalVideoDlg>(keyboard_.TrackedKeyState(), this);
    connect(localBrowser_.get(), &QDialog::finished, this, &CQX44SimDlg::OnLocalBrowserClosed);
    localBrowser_->SetBrowseFolder(localFolder_);
    localBrowser_->Open();
}

void CQX44SimDlg::OnLocalBrowserClosed(int result) {
    if (result != QDialog::Accepted) {
        return;
    }
    std::vector<std::string> playList;
    localBrowser_->GetSelection(playList);
    if (playList.empty()) {
        return;
    }
    MediaRequest(&playList);
    // Space alone, besides the Stop key, closes what the operator chose, and the host hears
    // nothing of it.
    player_.SetLocalMode(true);
    player_.SetHostKeyCodes(' ', 0, 0, 0);
}

void CQX44SimDlg::keyPressEvent(QKeyEvent* event) {
    if (!keyboard_.HandleKeyEvent(*event)) {
        QWidget::keyPressEvent(event);
    }
}

void CQX44SimDlg::keyReleaseEvent(QKeyEvent* event) {
    if (!keyboard_.HandleKeyEvent(*event)) {
        QWidget::keyReleaseEvent(event);
    }
}

void CQX44SimDlg::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        keyboard_.KeyboardLost();
    }
}

void CQX44SimDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void CQX44SimDlg::OnTimer1() {
    hostLink_.OnTimer1Tick();
    if (hostLink_.HasHost()) {
        cmd_.PollSerialPorts();
    }
}

void CQX44SimDlg::OnTimer2() {
    indicators_.SetKeyboardMissing(!keyboard_.IsKeyboardPresent());
    cmd_.PollSerialPorts();
}

void CQX44SimDlg::RefreshStationInfo(std::string_view host) {
    if (const auto state = stationInfo_.ShowStationInfo(host)) {
        indicators_.SetNetworkState(*state);
    }
}

void CQX44SimDlg::SetNetworkState(int state) {
    indicators_.SetNetworkState(state);
}

void CQX44SimDlg::HostConnected(std::string_view peerAddress) {
    if (cmd_.IsInfoScreenPending()) {
        RefreshStationInfo(peerAddress);
    }
    if (player_.IsShown()) {
        ClosePlayer();
    }
}

void CQX44SimDlg::MouseDown(int column, int row) {
    cmd_.SendMouseDown(column, row);
}

void CQX44SimDlg::MouseUp(int column, int row) {
    cmd_.SendMouseUp(column, row);
}

void CQX44SimDlg::MouseDoubleClick(int column, int row) {
    cmd_.SendMouseDoubleClick(column, row);
}

} // namespace qx44
