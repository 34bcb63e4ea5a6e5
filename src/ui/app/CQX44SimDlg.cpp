#include "ui/app/CQX44SimDlg.h"

#include "core/settings/CQX44Setting.h"

#include <QMessageBox>
#include <QResizeEvent>
#include <algorithm>

namespace qx44 {

CQX44SimDlg::CQX44SimDlg(QWidget* parent)
    : QWidget(parent), textView_(textScreen_, messageBox_, this),
      statusView_(statusLine_, messageBox_, this), statusLineShown_(CQX44Setting().GetStatusLn()),
      cmd_(textScreen_, statusLine_, hostLink_, serialDevices_, beeper_),
      hostLink_(cmd_, ui_, *this) {
    setWindowTitle("QX4400");
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    textView_.SetMouse(this);
    statusView_.SetMouse(this);
    statusView_.setVisible(statusLineShown_);
    cmd_.SetPictureDisplays(&textView_, &statusView_);
    LayOutScreens();

    connect(&timer1_, &QTimer::timeout, this, &CQX44SimDlg::OnTimer1);
    timer1_.start(kTimer1Ms);
}

CQX44SimDlg::~CQX44SimDlg() {
    // The notifier must go before the listening socket it watches.
    acceptNotifier_.reset();
    hostLink_.CloseAllConnections();
}

bool CQX44SimDlg::StartListening() {
    const int port = CQX44Setting().GetPortNum();
    if (port < 0 || port > 0xFFFF || !hostLink_.StartListening(static_cast<std::uint16_t>(port))) {
        QMessageBox::warning(this, QString(), "error when start tcp/ip socket");
        return false;
    }
    acceptNotifier_ =
        std::make_unique<QSocketNotifier>(hostLink_.Listener().Fd(), QSocketNotifier::Read);
    connect(acceptNotifier_.get(), &QSocketNotifier::activated, this,
            [this] { hostLink_.AcceptHost(); });
    return true;
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

void CQX44SimDlg::OnTimer1() {
    hostLink_.OnTimer1Tick();
}

void CQX44SimDlg::SetNetworkState(int state) {
    networkState_ = state;
}

} // namespace qx44
