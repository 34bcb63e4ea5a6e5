#pragma once

#include <chrono>
#include <span>
#include <string>
#include <string_view>

namespace qx44 {

// A replay's cases as the JUnit XML that CI servers read: one testsuite, one testcase per case
// (its name as both class name and name), a failure with the first difference as its message,
// an error for a case that could not run, and each case's report as the element's text.
class JUnitReport {
public:
    enum class Verdict { Passed, Failed, Error };

    struct Case {
        std::string name{};
        Verdict verdict = Verdict::Passed;
        // The first difference, or why the case could not run.
        std::string message{};
        std::string details{};
        std::chrono::duration<double> time{};
    };

    JUnitReport() = delete;

    static std::string Document(std::string_view suite, std::span<const Case> cases);
};

} // namespace qx44
