#include "ui/app/ControlPortHost.h"

#include "core/common/Log.h"
#include "core/settings/CQX44Setting.h"
#include "ui/app/CQX44Flash.h"
#include "ui/app/QtControlStation.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace qx44 {

ControlPortHost::ControlPortHost(std::optional<int> port)
    : router_([] { QtControlStation::EndProgram(); }), port_(port) {}

ControlPortHost::~ControlPortHost() {
    Stop();
}

bool ControlPortHost::Start() {
    const CQX44Setting settings;
    const int port = port_.value_or(settings.ReadInt("Control", "Port", 0));
    if (!port_ && port == 0) {
        return true;
    }
    if (port < 0 || port > 0xFFFF) {
        Log::Error(LogArea::Host, "cannot listen for control clients: port " +
                                      std::to_string(port) + " is not a TCP port number");
        return false;
    }
    server_ =
        std::make_unique<ControlServer>(router_, ui_, settings.ReadString("Control", "Token", ""));
    if (!server_->Start(static_cast<std::uint16_t>(port))) {
        server_.reset();
        return false;
    }
    router_.SetControlPort(server_->Port());
    return true;
}

void ControlPortHost::Follow(CQX44Flash& boot, bool announce) {
    QObject::connect(&boot, &CQX44Flash::SetupEntered, &context_,
                     [this] { router_.SetPhase(ControlRouter::Phase::Setup); });
    QObject::connect(&boot, &CQX44Flash::TerminalOpened, &context_,
                     [this, &boot, announce] { TerminalOpened(boot, announce); });
}

void ControlPortHost::TerminalOpened(CQX44Flash& boot, bool announce) {
    CQX44SimDlg* terminal = boot.Terminal();
    router_.SetTerminal(&terminal->Control());
    router_.SetPhase(ControlRouter::Phase::Terminal);
    const auto hostPort = terminal->Link().ListeningPort();
    if (!hostPort || (!server_ && !announce)) {
        return;
    }
    const std::string line =
        "{\"event\":\"ready\",\"hostPort\":" + std::to_string(*hostPort) +
        ",\"controlPort\":" + (server_ ? std::to_string(server_->Port()) : "null") +
        (terminal->Http() != nullptr ? ",\"httpPort\":" + std::to_string(terminal->Http()->Port())
                                     : std::string()) +
        ",\"pid\":" + std::to_string(::getpid()) + "}\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void ControlPortHost::Stop() {
    if (server_) {
        server_->Stop();
        server_.reset();
    }
    router_.SetTerminal(nullptr);
}

} // namespace qx44
