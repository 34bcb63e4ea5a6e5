#include "core/control/ControlWait.h"

#include "core/control/ControlArguments.h"

#include <algorithm>
#include <array>
#include <re2/re2.h>

namespace qx44 {

namespace {

constexpr int kMaxQuietMs = 24 * 60 * 60 * 1000;
// A pattern's compiled program stays small, whatever a client sends.
constexpr std::int64_t kMaxPatternMemory = 1 << 20;

enum class Operand { None, Text, Texts, Pattern, Milliseconds };

ControlReply UsageError() {
    return ControlReply::Error(std::string("usage: ") + std::string(ControlWait::kUsage));
}

std::shared_ptr<const re2::RE2> Compile(const std::string& pattern, std::string& error) {
    // POSIX syntax with Perl's classes: ^ and $ anchor at each row, \d and \b still work.
    re2::RE2::Options options;
    options.set_posix_syntax(true);
    options.set_one_line(false);
    options.set_perl_classes(true);
    options.set_word_boundary(true);
    options.set_max_mem(kMaxPatternMemory);
    options.set_log_errors(false);
    auto compiled = std::make_shared<const re2::RE2>(pattern, options);
    if (!compiled->ok()) {
        error = "bad pattern: " + compiled->error();
        return nullptr;
    }
    return compiled;
}

} // namespace

std::variant<ControlWait, ControlReply> ControlWait::Parse(std::string_view arguments,
                                                           Clock::time_point now) {
    struct WaitForm {
        std::string_view name;
        Kind kind;
        Operand operand;
    };
    static constexpr std::array kForms = {
        WaitForm{"text", Kind::Text, Operand::Text},
        WaitForm{"gone", Kind::Gone, Operand::Text},
        WaitForm{"any", Kind::Any, Operand::Texts},
        WaitForm{"regex", Kind::Regex, Operand::Pattern},
        WaitForm{"host", Kind::Host, Operand::None},
        WaitForm{"stable", Kind::Stable, Operand::Milliseconds},
        WaitForm{"ready", Kind::Ready, Operand::None},
    };
    auto words = ControlArguments::Words(arguments);
    if (!words || words->empty()) {
        return UsageError();
    }
    const auto form = std::ranges::find(kForms, words->front(), &WaitForm::name);
    if (form == kForms.end()) {
        return ControlReply::Error("wait for what: text, gone, any, regex, host, stable or ready");
    }
    words->erase(words->begin());
    ControlWait wait(form->kind, now);

    // `any` takes texts up to a last word that reads as seconds; the others a fixed count.
    const std::size_t operands = form->operand == Operand::None ? 0 : 1;
    const bool lastIsSeconds = !words->empty() && ControlArguments::Seconds(words->back());
    std::size_t given = words->size();
    if (form->operand == Operand::Texts) {
        given = words->size() > 1 && lastIsSeconds ? words->size() - 1 : words->size();
        if (given == 0) {
            return UsageError();
        }
    } else if (words->size() == operands || words->size() == operands + 1) {
        given = operands;
    } else {
        return UsageError();
    }
    const std::vector<std::string> values(words->begin(),
                                          words->begin() + static_cast<std::ptrdiff_t>(given));
    switch (form->operand) {
    case Operand::Text:
    case Operand::Texts:
        if (std::ranges::any_of(values, &std::string::empty)) {
            return ControlReply::Error("wait " + std::string(form->name) + " needs a text");
        }
        wait.texts_ = values;
        break;
    case Operand::Pattern: {
        std::string error;
        wait.pattern_ = Compile(values.front(), error);
        if (!wait.pattern_) {
            return ControlReply::Error(error);
        }
        break;
    }
    case Operand::Milliseconds: {
        const auto ms = ControlArguments::Number(values.front(), kMaxQuietMs);
        if (!ms) {
            return ControlReply::Error("MS must be a whole number of milliseconds");
        }
        wait.quiet_ = std::chrono::milliseconds(*ms);
        break;
    }
    case Operand::None:
        break;
    }
    std::chrono::duration<double> timeout = kDefaultTimeout;
    if (words->size() > given) {
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
    if (kind_ == Kind::Stable) {
        std::string seen = probe.screen + probe.attributes;
        if (lastScreen_ && seen != *lastScreen_) {
            lastChange_ = now;
        }
        lastScreen_ = std::move(seen);
        if (now - lastChange_ >= quiet_) {
            return Done(now);
        }
    } else if (auto reply = Matches(probe, now)) {
        return reply;
    }
    return CheckDeadline(now);
}

std::optional<ControlReply> ControlWait::Matches(const StationProbe& probe,
                                                 Clock::time_point now) const {
    const auto shown = [&probe](const std::string& text) {
        return probe.screen.find(text) != std::string::npos;
    };
    switch (kind_) {
    case Kind::Text:
        return shown(texts_.front()) ? std::optional(Done(now)) : std::nullopt;
    case Kind::Gone:
        return !shown(texts_.front()) ? std::optional(Done(now)) : std::nullopt;
    case Kind::Any:
        for (std::size_t i = 0; i < texts_.size(); ++i) {
            if (shown(texts_[i])) {
                return Done(now)
                    .AddText("matched", texts_[i])
                    .AddNumber("index", static_cast<std::int64_t>(i));
            }
        }
        return std::nullopt;
    case Kind::Regex: {
        re2::StringPiece match;
        if (pattern_->Match(probe.screen, 0, probe.screen.size(), re2::RE2::UNANCHORED, &match,
                            1)) {
            return Done(now).AddText("matched", std::string_view(match.data(), match.size()));
        }
        return std::nullopt;
    }
    case Kind::Host:
        return probe.hostConnected ? std::optional(Done(now)) : std::nullopt;
    case Kind::Ready:
        return probe.ready ? std::optional(Done(now)) : std::nullopt;
    case Kind::Stable:
        break;
    }
    return std::nullopt;
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
