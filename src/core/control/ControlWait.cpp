#include "core/control/ControlWait.h"

#include "core/control/ControlArguments.h"

namespace qx44 {

namespace {

constexpr int kMaxQuietMs = 24 * 60 * 60 * 1000;

} // namespace

std::variant<ControlWait, ControlReply> ControlWait::Parse(std::string_view arguments,
                                                           Clock::time_point now) {
    const auto words = ControlArguments::Words(arguments);
    if (!words || words->empty()) {
        return ControlReply::Error(std::string("usage: ") + std::string(kUsage));
    }
    const std::string& what = words->front();
    std::size_t needed = 0;
    Kind kind = Kind::Text;
    if (what == "text") {
        needed = 2;
    } else if (what == "host") {
        kind = Kind::Host;
        needed = 1;
    } else if (what == "stable") {
        kind = Kind::Stable;
        needed = 2;
    } else {
        return ControlReply::Error("wait for what: text, host or stable");
    }
    if (words->size() != needed && words->size() != needed + 1) {
        return ControlReply::Error(std::string("usage: ") + std::string(kUsage));
    }
    ControlWait wait(kind, now);
    if (kind == Kind::Text) {
        wait.text_ = (*words)[1];
        if (wait.text_.empty()) {
            return ControlReply::Error("wait text needs a text");
        }
    }
    if (kind == Kind::Stable) {
        const auto ms = ControlArguments::Number((*words)[1], kMaxQuietMs);
        if (!ms) {
            return ControlReply::Error("MS must be a whole number of milliseconds");
        }
        wait.quiet_ = std::chrono::milliseconds(*ms);
    }
    std::chrono::duration<double> timeout = kDefaultTimeout;
    if (words->size() == needed + 1) {
        const auto seconds = ControlArguments::Seconds(words->back());
        if (!seconds) {
            return ControlReply::Error("SECONDS must be a number of seconds");
        }
        timeout = std::chrono::duration<double>(*seconds);
    }
    wait.deadline_ = now + std::chrono::duration_cast<Clock::duration>(timeout);
    wait.lastChange_ = now;
    return wait;
}

std::optional<ControlReply> ControlWait::Check(const StationProbe& probe, Clock::time_point now) {
    switch (kind_) {
    case Kind::Text:
        if (probe.screen.find(text_) != std::string::npos) {
            return Done(now);
        }
        break;
    case Kind::Host:
        if (probe.hostConnected) {
            return Done(now);
        }
        break;
    case Kind::Stable: {
        std::string seen = probe.screen + probe.attributes;
        if (lastScreen_ && seen != *lastScreen_) {
            lastChange_ = now;
        }
        lastScreen_ = std::move(seen);
        if (now - lastChange_ >= quiet_) {
            return Done(now);
        }
        break;
    }
    }
    return CheckDeadline(now);
}

std::optional<ControlReply> ControlWait::CheckDeadline(Clock::time_point now) const {
    if (now >= deadline_) {
        return ControlReply::Error("timeout");
    }
    return std::nullopt;
}

ControlReply ControlWait::Done(Clock::time_point now) const {
    return ControlReply::Ok().AddNumber(
        "waitedMs", std::chrono::duration_cast<std::chrono::milliseconds>(now - start_).count());
}

} // namespace qx44
