#include "core/devices/ReceiptFolder.h"

#include "core/common/Log.h"
#include "core/common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace qx44 {

namespace {

// Numbers tried past the next one before giving up, should the folder be full of old receipts.
constexpr int kAttempts = 10000;

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

ReceiptFolder::ReceiptFolder(std::string_view folder, Bound bound)
    : folder_(folder), bound_(bound) {
    std::replace(folder_.begin(), folder_.end(), '\\', '/');
}

std::string ReceiptFolder::NameOf(unsigned long number) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%06lu", number);
    return std::string(kPrefix) + digits + std::string(kSuffix);
}

std::string ReceiptFolder::PathOf(unsigned long number) const {
    return folder_ + "/" + NameOf(number);
}

void ReceiptFolder::Scan() {
    scanned_ = true;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder_.c_str()), ::closedir);
    if (!dir) {
        return;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string_view name(entry->d_name);
        if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) {
            continue;
        }
        const std::string_view digits =
            name.substr(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size());
        unsigned long number = 0;
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), number);
        struct stat file {};
        // Only the names this folder gives its own receipts, and only plain files.
        if (error != std::errc() || end != digits.data() + digits.size() ||
            NameOf(number) != name || ::lstat(PathOf(number).c_str(), &file) != 0 ||
            !S_ISREG(file.st_mode)) {
            continue;
        }
        saved_.push_back({number, static_cast<std::uint64_t>(file.st_size)});
        savedBytes_ += static_cast<std::uint64_t>(file.st_size);
        next_ = std::max(next_, number + 1);
    }
    std::ranges::sort(saved_, {}, &Saved::number);
}

bool ReceiptFolder::MakeRoom(std::uint64_t bytes) {
    const auto full = [&] {
        return saved_.size() + 1 > bound_.files || savedBytes_ + bytes > bound_.bytes;
    };
    // A receipt larger than the whole bound costs none of the others.
    while (full() && !saved_.empty() && bytes <= bound_.bytes) {
        if (!std::exchange(boundReported_, true)) {
            Log::Error(LogArea::Ports, "the receipts in " + folder_ + " reached their bound of " +
                                           std::to_string(bound_.files) + " files or " +
                                           std::to_string(bound_.bytes / 1024) +
                                           " KiB: the oldest receipts are deleted from now on");
        }
        if (::unlink(PathOf(saved_.front().number).c_str()) != 0 && errno != ENOENT) {
            return false;
        }
        savedBytes_ -= saved_.front().bytes;
        saved_.pop_front();
    }
    return !full();
}

std::string ReceiptFolder::Save(std::string_view receipt) {
    const auto fail = [&](std::string_view what) {
        Log::Error(LogArea::Ports, "cannot save a receipt in " + folder_ + ": " +
                                       std::string(what) + ": " + std::strerror(errno));
        return std::string();
    };
    if (!scanned_) {
        Scan();
    }
    const std::string text = std::string(receipt) + "\n";
    if (!MakeRoom(text.size())) {
        // A receipt larger than the whole bound, or old receipts that cannot be deleted.
        if (!stopReported_) {
            stopReported_ = true;
            Log::Error(LogArea::Ports, "a receipt of " + std::to_string(text.size()) +
                                           " bytes finds no room within the bound of " + folder_ +
                                           ": receipts without room are not saved");
        }
        return {};
    }
    // Written whole under a temporary name, then linked to its number: link never replaces a
    // file, and the numbered name never shows a receipt half written.
    std::string temporary = folder_ + "/.receipt-XXXXXX";
    const UniqueFd fd(::mkstemp(temporary.data()));
    if (!fd.Valid()) {
        return fail("mkstemp");
    }
    // mkstemp makes the file private; a receipt is for whoever reads the folder.
    if (::fchmod(fd.Get(), 0644) != 0 || !WriteAll(fd.Get(), text) || ::fsync(fd.Get()) != 0) {
        const std::string result = fail("write");
        ::unlink(temporary.c_str());
        return result;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt, ++next_) {
        const std::string path = PathOf(next_);
        if (::link(temporary.c_str(), path.c_str()) == 0) {
            ::unlink(temporary.c_str());
            saved_.push_back({next_++, text.size()});
            savedBytes_ += text.size();
            return path;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    const std::string result = fail("link");
    ::unlink(temporary.c_str());
    return result;
}

} // namespace qx44
