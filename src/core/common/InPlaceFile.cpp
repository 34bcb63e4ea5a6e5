#include "core/common/InPlaceFile.h"

#include "core/common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qx44 {

namespace {

// NUL, the tag, the body's length and its FNV-1a checksum in 16 hex digits each, a line end.
constexpr std::string_view kTag = "qx44sim-rewrite ";
constexpr std::size_t kTrailerSize = 1 + kTag.size() + 16 + 1 + 16 + 1;
// A lock holder that never lets go (a stuck editor, a hostile user) delays us, never stops us.
constexpr auto kLockWait = std::chrono::seconds(2);

std::uint64_t Checksum(std::string_view data) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : data) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

std::string Hex16(std::uint64_t value) {
    std::string text(16, '0');
    for (std::size_t i = 16; i-- > 0; value >>= 4) {
        text[i] = "0123456789abcdef"[value & 0xF];
    }
    return text;
}

std::string Journal(std::string_view text) {
    std::string journal(1, '\0');
    journal.append(text).append(1, '\0').append(kTag);
    journal.append(Hex16(text.size())).append(" ").append(Hex16(Checksum(text))).append("\n");
    return journal;
}

std::optional<std::uint64_t> ParseHex16(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size() ? std::optional(value)
                                                                    : std::nullopt;
}

// The text a reader takes from the raw bytes: a complete copy left at the end by a rewrite, or
// else everything before the first NUL (the start of a copy whose writing did not finish).
std::string_view TextOf(std::string_view raw) {
    if (raw.size() > kTrailerSize) {
        const auto trailer = raw.substr(raw.size() - kTrailerSize);
        const auto length = ParseHex16(trailer.substr(1 + kTag.size(), 16));
        const auto check = ParseHex16(trailer.substr(1 + kTag.size() + 17, 16));
        const std::size_t room = raw.size() - kTrailerSize;
        if (trailer.front() == '\0' && trailer.substr(1, kTag.size()) == kTag && length && check &&
            *length < room && raw[room - *length - 1] == '\0') {
            const auto body = raw.substr(room - std::size_t(*length), std::size_t(*length));
            if (Checksum(body) == *check) {
                return body;
            }
        }
    }
    return raw.substr(0, raw.find('\0'));
}

bool Lock(int fd, int operation) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd, operation | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// What the file may hold on disk: the text and, after a crash, a copy of the next one.
std::size_t RawBound(std::size_t maxSize) {
    return 2 * maxSize + 1 + kTrailerSize;
}

// Opens path as a regular file, never blocking on a FIFO and never opening a device.
InPlaceFile::Status OpenRegular(const std::string& path, int flags, UniqueFd& fd) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return {InPlaceFile::State::NotAFile};
    }
    fd.Reset(::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666));
    if (!fd.Valid()) {
        const bool missing = errno == ENOENT || errno == ENOTDIR;
        return {missing ? InPlaceFile::State::Missing : InPlaceFile::State::Unreadable, errno};
    }
    if (::fstat(fd.Get(), &info) != 0) {
        return {InPlaceFile::State::Unreadable, errno};
    }
    if (!S_ISREG(info.st_mode)) {
        return {InPlaceFile::State::NotAFile};
    }
    return {InPlaceFile::State::Loaded};
}

// The whole raw content, bounded: a file that grows while it is read stops at the bound.
InPlaceFile::Status ReadRaw(int fd, std::size_t bound, std::string& raw) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return {InPlaceFile::State::Unreadable, errno};
    }
    if (std::uint64_t(info.st_size) > bound) {
        return {InPlaceFile::State::TooLarge};
    }
    // One byte more than the size, so that reaching the end takes one read.
    raw.resize(std::size_t(info.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == raw.size()) {
            if (raw.size() > bound) {
                return {InPlaceFile::State::TooLarge};
            }
            raw.resize(std::min(2 * raw.size(), bound + 1));
        }
        const ssize_t got = ::pread(fd, raw.data() + filled, raw.size() - filled, off_t(filled));
        if (got == 0) {
            break;
        }
        if (got < 0 && errno != EINTR) {
            return {InPlaceFile::State::Unreadable, errno};
        }
        filled += got < 0 ? 0 : std::size_t(got);
    }
    raw.resize(filled);
    return {InPlaceFile::State::Loaded};
}

bool WriteAt(int fd, std::string_view data, off_t offset) {
    while (!data.empty()) {
        const ssize_t put = ::pwrite(fd, data.data(), data.size(), offset);
        if (put < 0 && errno != EINTR) {
            return false;
        }
        const std::size_t done = put < 0 ? 0 : std::size_t(put);
        data.remove_prefix(done);
        offset += off_t(done);
    }
    return true;
}

// Makes the file hold exactly text, which it already reads as: unless the start holds it already,
// the start is overwritten with it (a complete copy at the end stands for it meanwhile), then the
// rest is cut off.
bool Settle(int fd, bool startHoldsText, std::string_view text) {
    return (startHoldsText || (WriteAt(fd, text, 0) && ::fdatasync(fd) == 0)) &&
           ::ftruncate(fd, off_t(text.size())) == 0 && ::fsync(fd) == 0;
}

} // namespace

InPlaceFile::Contents InPlaceFile::Load(const std::string& path, std::size_t maxSize) {
    Contents contents;
    UniqueFd fd;
    contents.status = OpenRegular(path, O_RDONLY, fd);
    if (contents.status.state != State::Loaded) {
        return contents;
    }
    // Without the lock the reader still gets the old or the new text from a rewrite that crashed;
    // only one that is running could then be seen half done.
    Lock(fd.Get(), LOCK_SH);
    std::string raw;
    contents.status = ReadRaw(fd.Get(), RawBound(maxSize), raw);
    fd.Reset();
    if (contents.status.state != State::Loaded) {
        return contents;
    }
    const std::string_view text = TextOf(raw);
    if (text.size() > maxSize) {
        return {{State::TooLarge}, {}};
    }
    contents.text.assign(text);
    return contents;
}

InPlaceFile::Status InPlaceFile::Rewrite(const std::string& path, std::size_t maxSize,
                                         const std::function<std::string(std::string_view)>& edit) {
    UniqueFd fd;
    if (const Status opened = OpenRegular(path, O_RDWR | O_CREAT, fd);
        opened.state != State::Loaded) {
        return opened;
    }
    if (!Lock(fd.Get(), LOCK_EX)) {
        return {State::Unreadable, errno};
    }
    std::string raw;
    if (const Status read = ReadRaw(fd.Get(), RawBound(maxSize), raw);
        read.state != State::Loaded) {
        return read;
    }
    const std::string_view old = TextOf(raw);
    if (old.size() > maxSize) {
        return {State::TooLarge};
    }
    if (raw != old && !Settle(fd.Get(), raw.starts_with(old), old)) {
        return {State::Unreadable, errno};
    }
    const std::string text = edit(old);
    if (text.size() > maxSize) {
        return {State::TooLarge};
    }
    if (text == old) {
        return {State::Loaded};
    }
    // Behind both the old and the new text, so neither is touched while the copy is written.
    const off_t copyAt = off_t(std::max(old.size(), text.size()));
    if (!WriteAt(fd.Get(), Journal(text), copyAt) || ::fdatasync(fd.Get()) != 0) {
        const int error = errno;
        [[maybe_unused]] const int ignored = ::ftruncate(fd.Get(), off_t(old.size()));
        return {State::Unreadable, error};
    }
    // From here the file reads as the new text; should settling fail, the next rewrite settles.
    Settle(fd.Get(), old.starts_with(text), text);
    return {State::Loaded};
}

std::string InPlaceFile::Explain(const Status& status, std::size_t maxSize) {
    switch (status.state) {
    case State::NotAFile:
        return "not a regular file";
    case State::TooLarge:
        return "larger than " + std::to_string(maxSize / 1024) + " KiB";
    case State::Missing:
    case State::Unreadable:
        return ::strerrordesc_np(status.error);
    case State::Loaded:
        break;
    }
    return {};
}

} // namespace qx44
