#pragma once

#include "core/control/ControlReply.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace re2 {
class RE2;
}

namespace qx44 {

// What a parked wait looks at, read on the UI thread.
struct StationProbe {
    // The text screen's rows, each ended by a line feed.
    std::string screen;
    std::string attributes;
    bool hostConnected = false;
    // The terminal is up and hosts can connect.
    bool ready = false;
};

// One `wait` command, parked, not run: each fresh probe of the station may finish it, and its
// deadline ends it with the error "timeout" whether or not probes come. Patterns are RE2, whose
// matching time grows only linearly with the screen, so no pattern can hold the control port.
class ControlWait {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kDefaultTimeout{5};
    static constexpr std::string_view kUsage =
        "wait text STRING [SECONDS] | wait gone STRING [SECONDS] | wait any STRING... [SECONDS] "
        "| wait regex PATTERN [SECONDS] | wait host [SECONDS] | wait stable MS [SECONDS] | wait "
        "ready [SECONDS]";

    static std::variant<ControlWait, ControlReply> Parse(std::string_view arguments,
                                                         Clock::time_point now);

    // The reply once the wait is over, nothing while it goes on.
    std::optional<ControlReply> Check(const StationProbe& probe, Clock::time_point now);
    std::optional<ControlReply> CheckDeadline(Clock::time_point now) const;
    Clock::time_point Deadline() const { return deadline_; }

private:
    enum class Kind { Text, Gone, Any, Regex, Host, Stable, Ready };

    ControlWait(Kind kind, Clock::time_point start) : kind_(kind), start_(start) {}
    ControlReply Done(Clock::time_point now) const;
    std::optional<ControlReply> Matches(const StationProbe& probe, Clock::time_point now) const;

    Kind kind_;
    Clock::time_point start_;
    Clock::time_point deadline_;
    // `text` and `gone` have one, `any` one or more.
    std::vector<std::string> texts_;
    std::shared_ptr<const re2::RE2> pattern_;
    std::chrono::milliseconds quiet_{0};
    // For `stable`: the screen last seen and when it last changed.
    std::optional<std::string> lastScreen_;
    Clock::time_point lastChange_;
};

} // namespace qx44
