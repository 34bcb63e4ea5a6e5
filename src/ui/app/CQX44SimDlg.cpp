#include "ui/app/CQX44SimDlg.h"

#include "core/common/Log.h"
#include "core/control/ControlArguments.h"
#include "core/settings/CQX44Setting.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QWindow>
#include <algorithm>

namespace qx44 {

CQX44SimDlg::CQX44SimDlg(QWidget* parent, IHostTrace& trace, std::optional<std::uint16_t> hostPort)
    : QWidget(parent), statusLineShown_(CQX44Setting().GetStatusLn()),
      station_(StationConfig{.ui = ui_,
                             .beeper = beeper_,
                             .listener = *this,
                             .serialPorts = &machineSerialDevices_,
                             .pseudoTerminals = &pseudoTerminals_,
                             // The COM numbers the setup dialog offers.
                             .preparedComPorts = kSetupComPorts,
                             .mediaEngine = &engine_,
                             .playerView = &playerWindow_,
                             .hostPort = hostPort,
                             .trace = trace}),
      textView_(station_.TextScreen(), messageBox_, this),
      statusView_(station_.StatusLine(), messageBox_, this), keyboard_(*station_.Terminal()) {
    setWindowTitle("QX4400");
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    textView_.SetMouse(&station_.Mouse());
    statusView_.SetMouse(&station_.Mouse());
    statusView_.SetIndicators(&station_.Indicators());
    station_.Indicators().SetSurface(&statusView_);
    statusView_.setVisible(statusLineShown_);
    station_.SetPictureDisplays(&textView_, &statusView_);
    playerWindow_.SetPlayer(&station_.Terminal()->Player());
    // The player covers the screens' views, which were made after it.
    playerWindow_.raise();
    LayOutScreens();

    connect(&timer1_, &QTimer::timeout, this, &CQX44SimDlg::OnTimer1);
    connect(&timer2_, &QTimer::timeout, this, &CQX44SimDlg::OnTimer2);
}

CQX44SimDlg::~CQX44SimDlg() {
    httpServer_.reset();
    // The notifier must go before the listening socket it watches; the receive thread before
    // the views it draws on.
    acceptNotifier_.reset();
    station_.Stop();
    playerWindow_.SetPlayer(nullptr);
}

void CQX44SimDlg::Initialise() {
    StartListening();
    timer1_.start(kTimer1Ms);
    PaintStatusLineNow();
    station_.SoundStartTone();
    station_.ShowStationInfo();
    timer2_.start(kTimer2Ms);
    station_.LoadSettings();
    localFolder_ = CQX44Setting().GetFolder();
    StartHttpServer();
    setFocus();
}

void CQX44SimDlg::StartHttpServer() {
    const CQX44Setting settings;
    const std::string configured = settings.ReadString("Http", "Port", "");
    if (!httpPort_ && configured.empty()) {
        return;
    }
    const auto port = httpPort_ ? httpPort_ : ControlArguments::Number(configured, 0xFFFF);
    if (!port) {
        Log::Error(LogArea::Host, "cannot serve the web view: Http/Port=" + configured +
                                      " is not a TCP port number");
        return;
    }
    httpServer_ = std::make_unique<HttpServer>(
        HttpServer::Station{[this](std::string_view line) {
                                return httpCommands_ != nullptr ? httpCommands_->Run(line)
                                                                : station_.Control().Run(line);
                            },
                            [this] { return controlStation_.Picture(); }},
        settings.ReadString("Control", "Token", ""));
    if (!httpServer_->Start(static_cast<std::uint16_t>(*port),
                            settings.ReadString("Http", "Bind", ""))) {
        httpServer_.reset();
        return;
    }
    for (ScreenView* view : {&textView_, static_cast<ScreenView*>(&statusView_)}) {
        connect(view, &ScreenView::Changed, httpServer_.get(),
                [stream = &httpServer_->Stream()] { stream->ScreenChanged(); });
    }
}

bool CQX44SimDlg::StartListening() {
    if (!station_.Listen()) {
        messageBox_.ShowNotice("error when start tcp/ip socket");
        return false;
    }
    acceptNotifier_ =
        std::make_unique<QSocketNotifier>(station_.Link().Listener().Fd(), QSocketNotifier::Read);
    connect(acceptNotifier_.get(), &QSocketNotifier::activated, this,
            [this] { station_.AcceptHost(); });
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
    StreamPlayer(true);
}

void CQX44SimDlg::ShowTerminalScreens() {
    textView_.show();
    statusView_.setVisible(statusLineShown_);
    // Keys reach the text screen through this window.
    setFocus();
    station_.TextScreen().InvalidateAll();
    station_.StatusLine().InvalidateAll();
    textView_.update();
    statusView_.update();
    StreamPlayer(false);
}

void CQX44SimDlg::StreamPlayer(bool shown) {
    if (httpServer_) {
        httpServer_->Stream().PlayerChanged(shown, station_.Control().Run("player").ToLine());
    }
}

void CQX44SimDlg::HostConnected(std::string_view peer) {
    if (httpServer_) {
        httpServer_->Stream().HostConnected(peer);
    }
}

void CQX44SimDlg::HostDisconnected() {
    if (httpServer_) {
        httpServer_->Stream().HostDisconnected();
    }
}

void CQX44SimDlg::ReceiptPrinted(int port, std::string_view text) {
    if (httpServer_) {
        httpServer_->Stream().ReceiptPrinted(port, text);
    }
}

void CQX44SimDlg::SerialWritten(int port, std::string_view bytes) {
    if (httpServer_) {
        httpServer_->Stream().SerialWritten(port, bytes);
    }
}

void CQX44SimDlg::OpenLocalBrowser() {
    if (localBrowser_ && localBrowser_->isVisible()) {
        return;
    }
    localBrowser_ = std::make_unique<CLocalVideoDlg>(station_.Terminal()->KeyState(), this);
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
    station_.Terminal()->PlayLocalSelection(playList);
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

} // namespace qx44
