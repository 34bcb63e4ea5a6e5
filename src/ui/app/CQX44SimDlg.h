#pragma once

#include "core/hostlink/HostLink.h"
#include "core/hostlink/IHostLinkEvents.h"
#include "core/hostlink/IHostMessageSink.h"
#include "core/interpreter/CVantorCmd.h"
#include "core/screen/CConsoleWin.h"
#include "core/screen/CVantorBar.h"
#include "platform/AlsaBeeper.h"
#include "platform/TermiosSerialDeviceFactory.h"
#include "ui/app/QtUiThread.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace qx44 {

// The terminal's main window: owns the host link and the interpreter and drives them from the
// Qt event loop (accepting, timer 1's send opportunities, closes posted by receive threads).
class CQX44SimDlg : public QWidget, private IHostLinkEvents {
    Q_OBJECT

public:
    static constexpr int kTimer1Ms = 200;

    explicit CQX44SimDlg(QWidget* parent = nullptr);
    ~CQX44SimDlg() override;

    // Opens the listener on Net/PortNum; false (after telling the user) when that fails.
    bool StartListening();
    int NetworkState() const { return networkState_; }

private:
    void SetNetworkState(int state) override;

    void OnTimer1();

    QtUiThread ui_{this};
    CConsoleWin textScreen_;
    CVantorBar statusLine_;
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
