#include "core/hostlink/MessageFramer.h"

#include "core/common/Log.h"
#include "core/common/UniqueFd.h"
#include "core/protocol/HostMessageTable.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qx44 {

namespace {

constexpr std::uint8_t kBitmapCode = HostMessageTable::PictureTransferCode();
constexpr std::size_t kBitmapHeader = 11; // up to and including the file's size field
constexpr std::size_t kBitmapFileOffset = 5;
constexpr std::size_t kSizeFieldOffset = 7;

std::uint32_t ReadLe32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes[offset]) |
           static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
           static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

} // namespace

MessageFramer::MessageFramer(IHostMessageSink& sink, std::string transferPath, IHostTrace& trace)
    : sink_(sink), trace_(trace), transferPath_(std::move(transferPath)) {}

bool MessageFramer::ProcessReceived(const CancelToken& closing, const CancelToken& handlerWaits) {
    if (transfer_.inProgress) {
        ContinueTransfer();
        if (transfer_.inProgress) {
            return true;
        }
    }

    sink_.HoldScreenRepaint(true);
    for (;;) {
        if (closing.IsCancelled()) {
            sink_.HoldScreenRepaint(false);
            return false;
        }
        const auto unskipped = buffer_.Data();
        if (const std::size_t skipped = buffer_.SkipToStx(); skipped > 0) {
            trace_.Dropped(unskipped.first(skipped), IHostTrace::DropReason::NotInMessage);
            Log::Note(LogArea::Framing, [&] {
                return "dropped " + std::to_string(skipped) + " bytes that were not in a message";
            });
        }
        const auto data = buffer_.Data();
        if (data.size() >= 3 && data[2] == kBitmapCode) {
            if (StartTransfer() == BitmapStep::StopLoop) {
                break;
            }
            continue;
        }
        const auto end = buffer_.FindMessageEnd();
        if (!end) {
            break;
        }
        if (data[*end - 1] == kEtx) {
            Dispatch(*end, handlerWaits);
        } else {
            trace_.Dropped(data.first(*end), IHostTrace::DropReason::NoEtx);
            Log::Note(LogArea::Framing, [&] {
                // A one-byte piece is the STX of a play list that outgrew its area.
                if (*end == 1) {
                    return "dropped a play list (code 0x40) with no ETX in its first " +
                           std::to_string(CCommand_Buffer::kLongestPlayList) + " bytes";
                }
                return "dropped a message with code " + Log::Hex(data[2]) + ": its byte " +
                       std::to_string(*end - 1) + " should be ETX but is " +
                       Log::Hex(data[*end - 1]);
            });
        }
        buffer_.Consume(*end);
    }
    sink_.HoldScreenRepaint(false);
    return true;
}

void MessageFramer::Reset() {
    if (buffer_.Buffered() > 0) {
        trace_.Dropped(buffer_.Data(), IHostTrace::DropReason::Unfinished);
    }
    buffer_.Clear();
    transfer_ = {};
}

void MessageFramer::ContinueTransfer() {
    const auto data = buffer_.Data();
    const std::uint32_t missing = transfer_.size - transfer_.written;
    trace_.PictureBytes(data.first(std::min<std::size_t>(data.size(), missing)), false);
    if (data.size() <= missing) {
        WriteTransfer(data, false);
        transfer_.written += static_cast<std::uint32_t>(data.size());
        buffer_.Clear();
        return;
    }
    WriteTransfer(data.first(missing), false);
    buffer_.Consume(missing);
    FinishTransfer();
}

MessageFramer::BitmapStep MessageFramer::StartTransfer() {
    const auto data = buffer_.Data();
    if (data.size() < kBitmapHeader) {
        return BitmapStep::StopLoop;
    }
    const std::uint32_t size = ReadLe32(data, kSizeFieldOffset);
    if (size > kMaxTransferSize) {
        Log::Note(LogArea::Framing, [&] {
            return "dropped a picture transfer announcing " + std::to_string(size) +
                   " bytes, more than " + std::to_string(kMaxTransferSize);
        });
        trace_.Dropped(data.first(1), IHostTrace::DropReason::PictureTooLarge);
        buffer_.Consume(1);
        return BitmapStep::Continue;
    }
    transfer_.column = data[3];
    transfer_.row = data[4];
    transfer_.size = size;
    const std::size_t available = data.size() - kBitmapFileOffset;
    trace_.PictureBytes(data.first(kBitmapFileOffset + std::min<std::size_t>(available, size)),
                        true);
    if (available <= size) {
        WriteTransfer(data.subspan(kBitmapFileOffset), true);
        transfer_.written = static_cast<std::uint32_t>(available);
        transfer_.inProgress = true;
        buffer_.Clear();
        return BitmapStep::StopLoop;
    }
    WriteTransfer(data.subspan(kBitmapFileOffset, size), true);
    buffer_.Consume(kBitmapFileOffset + size);
    FinishTransfer();
    return BitmapStep::Continue;
}

void MessageFramer::FinishTransfer() {
    transfer_.inProgress = false;
    trace_.PictureDone(!buffer_.Data().empty() && buffer_.Data().front() == kEtx);
    if (!transfer_.fileWhole) {
        return;
    }
    try {
        sink_.ShowHostPicture(transfer_.column, transfer_.row, transferPath_);
    } catch (...) {
        // A picture that cannot be shown must not stop the connection.
    }
}

void MessageFramer::WriteTransfer(std::span<const std::uint8_t> bytes, bool first) {
    if (first) {
        transfer_.fileWhole = true;
    } else if (!transfer_.fileWhole) {
        return;
    }
    // The working folder may be shared: a link planted there must not carry host data into
    // another file, and a named pipe must not hold the receive thread up. On any refusal the
    // bytes still count, so the stream stays in step with the host.
    transfer_.fileWhole = false;
    const int flags =
        O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (first ? 0 : O_APPEND);
    UniqueFd fd(::open(transferPath_.c_str(), flags, 0600));
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_nlink != 1 || (first && ::ftruncate(fd.Get(), 0) != 0)) {
        return;
    }
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd.Get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    transfer_.fileWhole = true;
}

void MessageFramer::Dispatch(std::size_t end, const CancelToken& handlerWaits) {
    // The message is handed over where it lies: only this thread touches the buffer, and
    // nothing is consumed before the handler returns.
    const auto data = buffer_.Data();
    trace_.Received(data.first(end));
    const std::size_t length = std::min(end, kHandOffSize);
    if (length < end) {
        Log::Note(LogArea::Framing, [&] {
            return "cut a message with code " + Log::Hex(data[2]) + " from " + std::to_string(end) +
                   " to " + std::to_string(length) + " bytes";
        });
    }
    try {
        sink_.DispatchHostMessage(data[1], data[2], data.first(length), handlerWaits);
    } catch (...) {
        // A handler that fails loses only its own message; the connection reads on.
    }
}

} // namespace qx44
