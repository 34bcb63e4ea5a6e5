#include "core/trace/JUnitReport.h"

#include "core/common/XmlText.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace qx44 {

namespace {

// Seconds with three decimals and a point whatever the locale, as the schema wants them.
std::string Seconds(std::chrono::duration<double> time) {
    std::array<char, 32> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(),
                                   std::max(time.count(), 0.0), std::chars_format::fixed, 3)
                         .ptr;
    return std::string(text.data(), end);
}

std::string Quoted(std::string_view name, std::string_view value) {
    return " " + std::string(name) + "=\"" + XmlText::Attribute(value) + "\"";
}

} // namespace

std::string JUnitReport::Document(std::string_view suite, std::span<const Case> cases) {
    const auto count = [&](Verdict verdict) {
        return std::to_string(std::ranges::count(cases, verdict, &Case::verdict));
    };
    std::chrono::duration<double> total{};
    for (const Case& item : cases) {
        total += item.time;
    }
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuite" +
                      Quoted("name", suite) + Quoted("tests", std::to_string(cases.size())) +
                      Quoted("failures", count(Verdict::Failed)) +
                      Quoted("errors", count(Verdict::Error)) + Quoted("skipped", "0") +
                      Quoted("time", Seconds(total)) + ">\n";
    for (const Case& item : cases) {
        out += "  <testcase" + Quoted("classname", item.name) + Quoted("name", item.name) +
               Quoted("time", Seconds(item.time));
        if (item.verdict == Verdict::Passed) {
            out += "/>\n";
            continue;
        }
        const std::string element = item.verdict == Verdict::Failed ? "failure" : "error";
        out += ">\n    <" + element + Quoted("message", item.message) + ">" +
               XmlText::Content(item.details) + "</" + element + ">\n  </testcase>\n";
    }
    out += "</testsuite>\n";
    return out;
}

} // namespace qx44
