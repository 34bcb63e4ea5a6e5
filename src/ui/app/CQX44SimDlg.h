#pragma once

#include "core/hostlink/HostLink.h"
#include "core/hostlink/IHostLinkEvents.h"
#include "core/hostlink/IHostMessageSink.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "core/screen/IScreenMouse.h"
#include "platform/AlsaBeeper.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "ui/app/QtUiThread.h"
#include "ui/screen/ScreenView.h"
#include "ui/screen/StatusLineView.h"
#include "ui/widgets/QtMessageBox.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace qx44 {

// The terminal's main window: owns the host link and the interpreter and drives them from the
// Qt event loop (accepting, timer 1's send opportunities, closes posted by receive threads).
class CQX44SimDlg : public QWidget, private IHostLinkEvents, private IScreenMouse {
    Q_OBJECT

public:
    static constexpr int kTimer1Ms = 200;
    static constexpr int kStatusLineHeight = 60;

    explicit CQX44SimDlg(QWidget* parent = nullptr);
    ~CQX44SimDlg() override;

    // Opens the listener on Net/PortNum; false (after telling the user) when that fails.
    bool StartListening();
    int NetworkState() const { return networkState_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetNetworkState(int state) override;

    // Clicks on either screen go to the host unchanged.
    void MouseDown(int column, int row) override;
    void MouseUp(int column, int row) override;
    void MouseDoubleClick(int column, int row) override;

    // The status line takes the bottom 60 pixels when Main/StatusLn is on; the text screen the
    // rest, or everything.
    void LayOutScreens();

    void OnTimer1();

    QtUiThread ui_{this};
    CConsoleWin textScreen_;
    CVantorBar statusLine_;
    QtMessageBox messageBox_{this};
    ScreenView textView_;
    StatusLineView statusView_;
    // Main/StatusLn, read once at construction.
    bool statusLineShown_;
    TermiosSerialDeviceFactory serialDevices_;
    AlsaBeeper beeper_;
    // The interpreter outlives the host link, whose receive thread calls into it.
    CVantorCmd cmd_;
    HostLink hostLink_;
    std::unique_ptr<QSocketNotifier> acceptNotifier_;
    QTimer timer1_;
    int networkState_ = IHostLinkEvents::kNetworkDisconnected;
};

} // namespace qx44
