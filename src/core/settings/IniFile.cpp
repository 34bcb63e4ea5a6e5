#include "core/settings/IniFile.h"

#include "core/common/InPlaceFile.h"
#include "core/common/Log.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace qx44 {

namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view TrimLeft(std::string_view text) {
    // Notepad starts UTF-8 files with a byte order mark, which would hide the first section.
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    const auto first = text.find_first_not_of(kBlanks);
    return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view Trim(std::string_view text) {
    text = TrimLeft(text);
    return text.substr(0, text.find_last_not_of(kBlanks) + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

struct Line {
    std::size_t start; // offset of the line in the text
    std::string_view body;
    std::string_view ending; // "\r\n", "\n", or empty on a last line without one
};

Line LineAt(std::string_view text, std::size_t start) {
    const auto newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    const std::size_t endingSize = newline == std::string_view::npos              ? 0
                                   : newline > start && text[newline - 1] == '\r' ? 2
                                                                                  : 1;
    return {start, text.substr(start, end - start - endingSize),
            text.substr(end - endingSize, endingSize)};
}

std::optional<std::string_view> SectionName(std::string_view body) {
    const auto text = TrimLeft(body);
    if (!text.starts_with('[')) {
        return std::nullopt;
    }
    return Trim(text.substr(1, text.find(']') - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
    std::size_t valueStart; // offset in the line body where the value text begins
};

std::optional<Entry> EntryOf(std::string_view body) {
    const auto text = TrimLeft(body);
    if (text.empty() || text.front() == ';' || text.front() == '#' || text.front() == '[') {
        return std::nullopt;
    }
    const auto equals = text.find('=');
    const auto key = Trim(text.substr(0, equals));
    if (equals == std::string_view::npos || key.empty()) {
        return std::nullopt;
    }
    const auto afterEquals = std::size_t(text.data() - body.data()) + equals + 1;
    const auto gap = body.substr(afterEquals).find_first_not_of(" \t");
    const auto valueStart = gap == std::string_view::npos ? body.size() : afterEquals + gap;
    return Entry{key, Trim(body.substr(valueStart)), valueStart};
}

// Where a key stands in the file, following the profile functions: the first section of that
// name counts, and in it the first line of that key. One pass, which ends at that line.
struct Location {
    bool section = false;
    std::optional<Line> key;
    std::optional<Line> lastOfSection; // the last entry of the section, or its header
};

Location Locate(std::string_view text, std::string_view section, std::string_view key) {
    Location at;
    bool inSection = false;
    for (std::size_t start = 0; start < text.size() && !at.key;) {
        const Line line = LineAt(text, start);
        start += line.body.size() + line.ending.size();
        if (const auto name = SectionName(line.body)) {
            inSection = !at.section && EqualNoCase(*name, section);
            if (inSection) {
                at.section = true;
                at.lastOfSection = line;
            }
        } else if (inSection) {
            if (const auto entry = EntryOf(line.body)) {
                at.lastOfSection = line;
                if (EqualNoCase(entry->key, key)) {
                    at.key = line;
                }
            }
        }
    }
    return at;
}

std::string_view Unquote(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

int LeadingInt(std::string_view text) {
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+')) {
        text.remove_prefix(1);
    }
    long long magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        magnitude = std::min(magnitude * 10 + (c - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    const long long value = negative ? -magnitude : magnitude;
    return static_cast<int>(std::min<long long>(value, INT_MAX));
}

std::string CutToChars(std::string_view text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool startsChar = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (startsChar && chars++ == maxChars) {
            return std::string(text.substr(0, i));
        }
    }
    return std::string(text);
}

std::string ApplyWrite(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value) {
    const Location at = Locate(text, section, key);
    // New lines take the file's own line ends, so a file from a station stays CRLF throughout.
    const std::string_view firstEnding = LineAt(text, 0).ending;
    const std::string_view newline = firstEnding.empty() ? std::string_view("\n") : firstEnding;

    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    if (at.key) {
        const std::size_t valueStart = at.key->start + EntryOf(at.key->body)->valueStart;
        const std::size_t valueEnd = at.key->start + at.key->body.size();
        return out.append(text.substr(0, valueStart)).append(value).append(text.substr(valueEnd));
    }
    std::size_t insertAt = text.size();
    if (at.section) {
        insertAt = at.lastOfSection->start + at.lastOfSection->body.size() +
                   at.lastOfSection->ending.size();
        out.append(text.substr(0, insertAt));
        if (at.lastOfSection->ending.empty()) {
            out.append(newline);
        }
    } else {
        out.append(text);
        if (!out.empty() && !out.ends_with('\n')) {
            out.append(newline);
        }
        out.append("[").append(section).append("]").append(newline);
    }
    out.append(key).append("=").append(value).append(newline);
    return out.append(text.substr(insertAt));
}

} // namespace

IniFile::IniFile(std::string path) : m_path(std::move(path)) {}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    const std::string text = InPlaceFile::Load(m_path, kMaxFileSize).text;
    const Location at = Locate(text, section, key);
    if (!at.key) {
        return std::nullopt;
    }
    return std::string(Unquote(EntryOf(at.key->body)->value));
}

int IniFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const {
    const auto value = Read(section, key);
    return value ? LeadingInt(*value) : defaultValue;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    const auto value = Read(section, key);
    return CutToChars(value ? std::string_view(*value) : defaultValue, kMaxStringLength);
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // A line break inside the value would turn its tail into lines of its own, a NUL would end
    // the file's text.
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    const InPlaceFile::Status status =
        InPlaceFile::Rewrite(m_path, kMaxFileSize, [&](std::string_view text) {
            return ApplyWrite(text, section, key, value);
        });
    if (status.state != InPlaceFile::State::Loaded) {
        Log::Error(LogArea::Settings, "cannot write " + std::string(section) + "/" +
                                          std::string(key) + " to " + m_path + ": " +
                                          InPlaceFile::Explain(status, kMaxFileSize) +
                                          "; the setting keeps its value");
        return false;
    }
    return true;
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

} // namespace qx44
