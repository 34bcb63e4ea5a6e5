#include "core/media/PlayListEntryPolicy.h"

#include <algorithm>
#include <array>
#include <sys/stat.h>

namespace qx44 {

namespace {

constexpr std::string_view kNoFile = "it names no file";
constexpr std::string_view kNotAFile = "it names a device, pipe or socket, not a file";
constexpr std::string_view kProtocol = "it starts with a protocol prefix";
constexpr std::string_view kTestSourcesOff = "test sources are off ([Video] TestSources)";
constexpr std::string_view kGraph = "it is a filter graph, not one test source";
constexpr std::string_view kNotASource = "it is not one of the test sources";
constexpr std::string_view kOption = "it gives an option or value that test sources do not take";

// Every test source takes these, by their long and short names.
constexpr std::array<std::string_view, 6> kCommonOptions = {"size", "s",        "rate",
                                                            "r",    "duration", "d"};
constexpr std::array<std::string_view, 2> kColourOptions = {"color", "c"};

// Characters that would join filters into a graph or quote and escape inside one.
constexpr std::string_view kGraphCharacters = ",;[]'\"\\";

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// As URL schemes are written: a letter, then letters, digits, '+', '-' or '.'.
bool IsSchemeCharacter(char c) {
    return IsLetter(c) || IsDigit(c) || c == '+' || c == '-' || c == '.';
}

// Sizes ("320x240", "vga"), rates ("25", "30000/1001"), durations ("5", "2.5", "-1") and colours
// ("red", "#FF0000", "0xFF0000@0.5").
bool IsValueCharacter(char c) {
    return IsLetter(c) || IsDigit(c) ||
           std::string_view(".+-/#@").find(c) != std::string_view::npos;
}

// Two or more scheme characters and a colon: one letter and a colon is a drive letter.
bool StartsWithProtocol(std::string_view entry) {
    if (entry.empty() || !IsLetter(entry.front())) {
        return false;
    }
    const auto end = std::find_if_not(entry.begin() + 1, entry.end(), IsSchemeCharacter);
    return end != entry.end() && *end == ':' && end - entry.begin() >= 2;
}

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

struct PlayListEntryPolicy::SourceRule {
    std::string_view filter;
    bool takesColour = false;
};

namespace {

// mpv's built-in test pictures: sources that read and write nothing.
constexpr PlayListEntryPolicy::SourceRule kSources[] = {
    {"testsrc"}, {"testsrc2"}, {"smptebars"}, {"rgbtestsrc"}, {"color", true},
};

PlayListEntryPolicy::Verdict Refused(std::string_view why) {
    return {{}, why};
}

// `source` is what follows the test-source prefix: NAME, or NAME=KEY=VALUE:KEY=VALUE...
PlayListEntryPolicy::Verdict CheckTestSource(std::string_view entry, std::string_view source) {
    if (source.find_first_of(kGraphCharacters) != std::string_view::npos) {
        return Refused(kGraph);
    }
    const std::size_t equals = source.find('=');
    const std::string_view name = source.substr(0, equals);
    const auto* rule = std::find_if(std::begin(kSources), std::end(kSources),
                                    [&](const auto& row) { return row.filter == name; });
    if (rule == std::end(kSources)) {
        return Refused(kNotASource);
    }
    if (equals == std::string_view::npos) {
        return {std::string(entry), {}};
    }
    std::string_view options = source.substr(equals + 1);
    for (;;) {
        const std::string_view option = options.substr(0, options.find(':'));
        const std::size_t split = option.find('=');
        if (split == std::string_view::npos) {
            return Refused(kOption);
        }
        const std::string_view key = option.substr(0, split);
        const std::string_view value = option.substr(split + 1);
        const bool known =
            Contains(kCommonOptions, key) || (rule->takesColour && Contains(kColourOptions, key));
        if (!known || value.empty() || !std::all_of(value.begin(), value.end(), IsValueCharacter)) {
            return Refused(kOption);
        }
        if (option.size() == options.size()) {
            return {std::string(entry), {}};
        }
        options.remove_prefix(option.size() + 1);
    }
}

} // namespace

PlayListEntryPolicy::Verdict PlayListEntryPolicy::Check(std::string_view entry) const {
    if (entry.empty() || entry.find('\0') != std::string_view::npos) {
        return Refused(kNoFile);
    }
    if (StartsWithProtocol(entry)) {
        if (!entry.starts_with(kTestSourcePrefix)) {
            return Refused(kProtocol);
        }
        if (!testSources_) {
            return Refused(kTestSourcesOff);
        }
        return CheckTestSource(entry, entry.substr(kTestSourcePrefix.size()));
    }
    std::string path(entry);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.starts_with('/') && !path.starts_with("./")) {
        path.insert(0, "./");
    }
    // A device would hand the engine what belongs to the station (a serial port's input) or never
    // end, and a pipe with no writer blocks its opening; folders and missing files stay in the
    // list as the entries they are.
    struct stat found {};
    if (::stat(path.c_str(), &found) == 0 && !S_ISREG(found.st_mode) && !S_ISDIR(found.st_mode)) {
        return Refused(kNotAFile);
    }
    return {std::move(path), {}};
}

} // namespace qx44
