#include "core/devices/ReceiptFolder.h"

#include "core/common/Log.h"
#include "core/common/UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

ReceiptFolder::ReceiptFolder(std::string_view folder) : folder_(folder) {
    std::replace(folder_.begin(), folder_.end(), '\\', '/');
}

std::string ReceiptFolder::Save(std::string_view receipt) {
    const auto fail = [&](std::string_view what) {
        Log::Error(LogArea::Ports, "cannot save a receipt in " + folder_ + ": " +
                                       std::string(what) + ": " + std::strerror(errno));
        return std::string();
    };
    // Written whole under a temporary name, then linked to its number: link never replaces a
    // file, and the numbered name never shows a receipt half written.
    std::string temporary = folder_ + "/.receipt-XXXXXX";
    const UniqueFd fd(::mkstemp(temporary.data()));
    if (!fd.Valid()) {
        return fail("mkstemp");
    }
    const std::string text = std::string(receipt) + "\n";
    // mkstemp makes the file private; a receipt is for whoever reads the folder.
    if (::fchmod(fd.Get(), 0644) != 0 || !WriteAll(fd.Get(), text) || ::fsync(fd.Get()) != 0) {
        const std::string result = fail("write");
        ::unlink(temporary.c_str());
        return result;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt, ++next_) {
        char number[32];
        std::snprintf(number, sizeof number, "%06lu", next_);
        const std::string path =
            folder_ + "/" + std::string(kPrefix) + number + std::string(kSuffix);
        if (::link(temporary.c_str(), path.c_str()) == 0) {
            ::unlink(temporary.c_str());
            ++next_;
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
