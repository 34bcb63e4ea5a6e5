#include "core/control/ControlRouter.h"

#include "core/control/ControlArguments.h"
#include "core/control/ControlCommands.h"

#include <array>
#include <string>

namespace qx44 {

namespace {

std::string_view PhaseName(ControlRouter::Phase phase) {
    switch (phase) {
    case ControlRouter::Phase::Boot:
        return "boot";
    case ControlRouter::Phase::Setup:
        return "setup";
    case ControlRouter::Phase::Terminal:
        break;
    }
    return "terminal";
}

} // namespace

ControlRouter::ControlRouter(std::function<void()> shutdown) : shutdown_(std::move(shutdown)) {}

ControlReply ControlRouter::Run(std::string_view line) {
    const auto [name, arguments] = ControlArguments::SplitCommand(line);
    if (name == "state") {
        return arguments.empty() ? State() : ControlReply::Error("usage: state");
    }
    if (terminal_ != nullptr) {
        return terminal_->Run(line);
    }
    if (name == "help") {
        const std::array<std::string, 6> usages = {
            "state", std::string(ControlWait::kUsage), "help", "auth TOKEN", "quit", "shutdown"};
        return ControlReply::Ok().AddTextArray("commands", usages);
    }
    if (name == "shutdown") {
        if (!arguments.empty()) {
            return ControlReply::Error("usage: shutdown");
        }
        shutdown_();
        return ControlReply::Ok();
    }
    if (name.empty()) {
        return ControlReply::Error("empty line");
    }
    return ControlReply::Error("the station is starting (" + std::string(PhaseName(phase_)) +
                               "); try wait ready");
}

StationProbe ControlRouter::Probe() const {
    if (terminal_ == nullptr) {
        return {};
    }
    return terminal_->Probe();
}

ControlReply ControlRouter::State() const {
    ControlReply reply = ControlReply::Ok();
    reply.AddText("phase", PhaseName(phase_));
    if (controlPort_) {
        reply.AddNumber("controlPort", *controlPort_);
    } else {
        reply.AddRaw("controlPort", "null");
    }
    if (terminal_ != nullptr) {
        terminal_->AddState(reply);
    } else {
        reply.AddRaw("hostPort", "null").AddBool("hostConnected", false).AddRaw("player", "null");
    }
    return reply;
}

} // namespace qx44
