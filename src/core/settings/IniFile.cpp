#include "core/settings/IniFile.h"

#include "core/common/FileReplacer.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

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
    std::string_view body;
    std::string_view ending; // "\r\n", "\n", or empty on a last line without one
};

std::vector<Line> SplitLines(std::string_view text) {
    std::vector<Line> lines;
    while (!text.empty()) {
        const auto newline = text.find('\n');
        const auto line = newline == std::string_view::npos ? text : text.substr(0, newline + 1);
        text.remove_prefix(line.size());
        const std::size_t endingSize = line.ends_with("\r\n") ? 2 : line.ends_with('\n') ? 1 : 0;
        const auto bodySize = line.size() - endingSize;
        lines.push_back({line.substr(0, bodySize), line.substr(bodySize)});
    }
    return lines;
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
// name counts, and in it the first line of that key.
struct Location {
    std::optional<std::size_t> section;
    std::optional<std::size_t> key;
    std::size_t lastOfSection = 0; // the last entry of the section, or its header
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Location at;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = SectionName(lines[i].body)) {
            inSection = !at.section && EqualNoCase(*name, section);
            if (inSection) {
                at.section = i;
                at.lastOfSection = i;
            }
        } else if (const auto entry = EntryOf(lines[i].body); entry && inSection) {
            at.lastOfSection = i;
            if (!at.key && EqualNoCase(entry->key, key)) {
                at.key = i;
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

enum class FileState { Missing, Loaded, Unreadable };

std::pair<FileState, std::string> LoadFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return {missing ? FileState::Missing : FileState::Unreadable, {}};
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, std::size_t(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            ::close(fd);
            return {FileState::Unreadable, {}};
        }
    }
    ::close(fd);
    return {FileState::Loaded, std::move(text)};
}

std::string ApplyWrite(std::string_view text, std::string_view section, std::string_view key,
                       std::string_view value) {
    const auto lines = SplitLines(text);
    const Location at = Locate(lines, section, key);
    // New lines take the file's own line ends, so a file from a station stays CRLF throughout.
    const std::string_view newline = lines.empty() || lines.front().ending.empty()
                                         ? std::string_view("\n")
                                         : lines.front().ending;
    const auto appendEntry = [&](std::string& out) {
        out.append(key).append("=").append(value).append(newline);
    };

    std::string out;
    out.reserve(text.size() + section.size() + key.size() + value.size() + 8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Line& line = lines[i];
        if (at.key == i) {
            out.append(line.body.substr(0, EntryOf(line.body)->valueStart)).append(value);
            out.append(line.ending);
            continue;
        }
        out.append(line.body).append(line.ending);
        if (!at.key && at.section && i == at.lastOfSection) {
            if (line.ending.empty()) {
                out.append(newline);
            }
            appendEntry(out);
        }
    }
    if (!at.section) {
        if (!out.empty() && !out.ends_with('\n')) {
            out.append(newline);
        }
        out.append("[").append(section).append("]").append(newline);
        appendEntry(out);
    }
    return out;
}

// rename() would replace a symbolic link by a plain file; write where the link points instead.
std::string FollowLink(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        return path;
    }
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) {
        return path;
    }
    std::string target(resolved);
    std::free(resolved);
    return target;
}

std::mutex& WriteMutex() {
    static std::mutex mutex;
    return mutex;
}

} // namespace

IniFile::IniFile(std::string path) : m_path(std::move(path)) {}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    const std::string text = LoadFile(m_path).second;
    const auto lines = SplitLines(text);
    const Location at = Locate(lines, section, key);
    if (!at.key) {
        return std::nullopt;
    }
    return std::string(Unquote(EntryOf(lines[*at.key].body)->value));
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
    // A line break inside the value would turn its tail into lines of its own.
    value = value.substr(0, value.find_first_of("\r\n"));
    const std::lock_guard lock(WriteMutex());
    const std::string target = FollowLink(m_path);
    const auto [state, text] = LoadFile(target);
    if (state == FileState::Unreadable) {
        return false;
    }
    std::optional<mode_t> mode;
    if (state == FileState::Loaded) {
        struct stat info {};
        // rename() would get past a read-only file in a writable folder; the profile functions
        // refuse it, and so do we.
        if (::access(target.c_str(), W_OK) != 0 || ::stat(target.c_str(), &info) != 0) {
            return false;
        }
        mode = info.st_mode & 07777;
    }
    return FileReplacer::Replace(target, ApplyWrite(text, section, key, value), mode);
}

bool IniFile::WriteInt(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

} // namespace qx44
