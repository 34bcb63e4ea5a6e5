#pragma once

#include "core/control/ControlRouter.h"
#include "core/control/ControlServer.h"
#include "ui/app/QtUiThread.h"

#include <QObject>
#include <memory>
#include <optional>

namespace qx44 {

class CQX44Flash;

// The program's control port from its first moment, before the boot screen: the router that
// follows the start (boot screen, setup page, terminal) and its server. Once the terminal listens
// it prints the one ready line on stdout when a control port or a host port was asked for, so a
// parent that starts it on free ports learns them without polling.
class ControlPortHost {
public:
    // `port` from the command line (0: a free one) over Control/Port (0 there: no control port).
    explicit ControlPortHost(std::optional<int> port);
    ControlPortHost(const ControlPortHost&) = delete;
    ControlPortHost& operator=(const ControlPortHost&) = delete;
    ~ControlPortHost();

    // False, logged, when the port is not a TCP port number or cannot be listened on.
    bool Start();
    // `announce`: print the ready line even without a control port (--port or --http was given).
    void Follow(CQX44Flash& boot, bool announce);
    // The commands as the control port runs them, for the web API to run the same way.
    IControlTarget& Commands() { return router_; }
    // Sends the last replies and lets go of the terminal; before the terminal goes.
    void Stop();

private:
    void TerminalOpened(CQX44Flash& boot, bool announce);

    QObject context_;
    QtUiThread ui_{&context_};
    ControlRouter router_;
    std::unique_ptr<ControlServer> server_;
    std::optional<int> port_;
};

} // namespace qx44
