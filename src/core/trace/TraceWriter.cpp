#include "core/trace/TraceWriter.h"

#include "core/common/HexText.h"
#include "core/common/Log.h"
#include "core/hostlink/CCommand_Buffer.h"
#include "core/protocol/HostMessageTable.h"
#include "core/protocol/StationMessageTable.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace qx44 {

namespace {

constexpr std::size_t kFlushAt = 64 * 1024;
// The writer looks for new lines this often, or sooner once this many bytes wait, so the
// reporting threads rarely pay for waking it.
constexpr auto kWriteInterval = std::chrono::milliseconds(20);
constexpr std::size_t kWakeAt = 256 * 1024;
constexpr std::size_t kTimeWidth = 7;

std::string Bytes(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

std::string HostReading(std::span<const std::uint8_t> message,
                        const HostMessageKind::Context& context) {
    const HostMessageKind* command = HostMessageTable::Find(message[2]);
    if (command == nullptr || command->name.empty()) {
        return "ignored code " + HexText::Byte(message[2]);
    }
    std::string out(command->name);
    if (command->fields != nullptr) {
        const std::string fields = command->fields(message, context);
        if (!fields.empty()) {
            out += ' ' + fields;
        }
    }
    return out;
}

std::string DropReading(std::span<const std::uint8_t> bytes, IHostTrace::DropReason reason) {
    std::string out = "dropped " + Bytes(bytes.size()) + ": ";
    switch (reason) {
    case IHostTrace::DropReason::NotInMessage:
        return out + "not in a message";
    case IHostTrace::DropReason::NoEtx:
        if (bytes.size() < 3) {
            return out + "a play list (code 40) with no ETX in its first " +
                   std::to_string(CCommand_Buffer::kLongestPlayList) + " bytes";
        }
        return out + "code " + HexText::Byte(bytes[2]) + " should end with ETX at byte " +
               std::to_string(bytes.size() - 1) + " but has " + HexText::Byte(bytes.back());
    case IHostTrace::DropReason::PictureTooLarge:
        return out + "a picture transfer announcing a file too large to believe";
    case IHostTrace::DropReason::Unfinished:
        return out + "message unfinished when the connection closed";
    }
    return out;
}

} // namespace

std::unique_ptr<TraceWriter>
TraceWriter::Open(const std::string& path, HostMessageKind::Context context, std::string& error) {
    if (path == "-") {
        return std::make_unique<TraceWriter>(UniqueFd(), STDERR_FILENO, "on stderr", context);
    }
    // Devices, pipes and kernel files keep nothing of a trace, and opening some of them does
    // something of its own; kernel files (/proc, /sys) pass for regular files on file systems
    // without blocks. The check is made again on the opened file, which may have been swapped.
    const std::string notRegular = "the trace " + path + " is not a regular file";
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        error = notRegular;
        return nullptr;
    }
    UniqueFd file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0644));
    if (!file.Valid()) {
        error = "cannot write the trace " + path + ": " + ::strerrordesc_np(errno);
        return nullptr;
    }
    struct statfs fileSystem {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fstatfs(file.Get(), &fileSystem) != 0 || fileSystem.f_blocks == 0) {
        error = notRegular;
        return nullptr;
    }
    if (::ftruncate(file.Get(), 0) != 0) {
        error = "cannot write the trace " + path + ": " + ::strerrordesc_np(errno);
        return nullptr;
    }
    const int fd = file.Get();
    return std::make_unique<TraceWriter>(std::move(file), fd, path, context);
}

TraceWriter::TraceWriter(UniqueFd file, int fd, std::string name, HostMessageKind::Context context,
                         std::size_t bound)
    : file_(std::move(file)), fd_(fd), name_(std::move(name)), context_(context), bound_(bound),
      writer_([this] { Run(); }) {}

TraceWriter::~TraceWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    pending_.notify_one();
    writer_.join();
}

void TraceWriter::HostConnected(std::string_view peer) {
    Push(Kind::Connected, 0,
         std::span(reinterpret_cast<const std::uint8_t*>(peer.data()), peer.size()));
}

void TraceWriter::HostClosed() {
    Push(Kind::Closed, 0, {});
}

void TraceWriter::Received(std::span<const std::uint8_t> message) {
    Push(Kind::Received, 0, message);
}

void TraceWriter::Dropped(std::span<const std::uint8_t> bytes, DropReason reason) {
    Push(Kind::Dropped, static_cast<std::uint8_t>(reason), bytes);
}

void TraceWriter::PictureBytes(std::span<const std::uint8_t> bytes, bool first) {
    Push(first ? Kind::PictureStart : Kind::PictureMore, 0, bytes);
}

void TraceWriter::PictureDone(bool etxFollows) {
    Push(Kind::PictureDone, etxFollows ? 1 : 0, {});
}

void TraceWriter::Sent(std::span<const std::uint8_t> message) {
    Push(Kind::Sent, 0, message);
}

std::size_t TraceWriter::LeftOut() const {
    std::lock_guard lock(mutex_);
    return leftOut_;
}

void TraceWriter::Push(Kind kind, std::uint8_t detail, std::span<const std::uint8_t> bytes) {
    if (stopped_) {
        return;
    }
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count();
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        if (batch_.bytes.size() + bytes.size() > bound_) {
            ++overflowMessages_;
            ++leftOut_;
            overflowBytes_ += bytes.size();
            return;
        }
        wake = batch_.bytes.size() < kWakeAt && batch_.bytes.size() + bytes.size() >= kWakeAt;
        if (overflowMessages_ > 0) {
            batch_.records.push_back(
                {Kind::Overflow, 0, micros, overflowMessages_, overflowBytes_});
            overflowMessages_ = 0;
            overflowBytes_ = 0;
        }
        batch_.records.push_back({kind, detail, micros, batch_.bytes.size(), bytes.size()});
        batch_.bytes.insert(batch_.bytes.end(), bytes.begin(), bytes.end());
    }
    if (wake) {
        pending_.notify_one();
    }
}

void TraceWriter::Run() {
    Batch working;
    for (;;) {
        bool stopping = false;
        {
            std::unique_lock lock(mutex_);
            pending_.wait_for(lock, kWriteInterval,
                              [this] { return stopping_ || batch_.bytes.size() >= kWakeAt; });
            std::swap(working, batch_);
            stopping = stopping_;
            if (stopping && overflowMessages_ > 0) {
                working.records.push_back(
                    {Kind::Overflow, 0, 0, overflowMessages_, overflowBytes_});
                overflowMessages_ = 0;
                overflowBytes_ = 0;
            }
        }
        for (const Record& record : working.records) {
            Format(record, std::span(working.bytes)
                               .subspan(record.kind == Kind::Overflow ? 0 : record.offset,
                                        record.kind == Kind::Overflow ? 0 : record.length));
            if (out_.size() >= kFlushAt) {
                Flush();
            }
        }
        working.records.clear();
        working.bytes.clear();
        if (stopping && pictureOpen_) {
            EndPicture("cut off when the trace ended");
        }
        Flush();
        if (stopping) {
            return;
        }
    }
}

void TraceWriter::BeginLine(std::string& out, std::int64_t micros, char direction) const {
    // "%7lld %c" without the cost of a format string on every line.
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), micros / 1000).ptr;
    const auto length = static_cast<std::size_t>(end - digits.data());
    out.append(length < kTimeWidth ? kTimeWidth - length : 0, ' ');
    out.append(digits.data(), length);
    out += ' ';
    out += direction;
}

void TraceWriter::Format(const Record& record, std::span<const std::uint8_t> bytes) {
    const bool fromReceiveThread = record.kind == Kind::Received || record.kind == Kind::Dropped ||
                                   record.kind == Kind::PictureStart || record.kind == Kind::Closed;
    if (pictureOpen_ && fromReceiveThread) {
        EndPicture("cut off");
    }
    if (record.kind != Kind::Dropped) {
        swallowEtx_ = false;
    }
    // Lines of other threads wait until the picture's line is complete.
    std::string& out =
        pictureOpen_ && record.kind != Kind::PictureMore && record.kind != Kind::PictureDone
            ? deferred_
            : out_;
    switch (record.kind) {
    case Kind::Connected:
        BeginLine(out, record.micros, '#');
        out += " connected ";
        out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        out += '\n';
        break;
    case Kind::Closed:
        BeginLine(out, record.micros, '#');
        out += " closed\n";
        break;
    case Kind::Overflow:
        BeginLine(out, record.micros, '#');
        out += " trace overflow: " + std::to_string(record.offset) + " records (" +
               Bytes(record.length) + ") left out\n";
        break;
    case Kind::Received:
        BeginLine(out, record.micros, 'H');
        HexText::AppendBytes(out, bytes);
        out += " # ";
        out += HostReading(bytes, context_);
        out += '\n';
        break;
    case Kind::Dropped:
        // The ETX that closes a picture was already written on the picture's line.
        if (swallowEtx_ && !bytes.empty() && bytes.front() == kEtx) {
            bytes = bytes.subspan(1);
        }
        swallowEtx_ = false;
        if (bytes.empty()) {
            break;
        }
        BeginLine(out, record.micros, 'H');
        HexText::AppendBytes(out, bytes);
        out += " # " + DropReading(bytes, static_cast<DropReason>(record.detail)) + '\n';
        break;
    case Kind::PictureStart:
        BeginLine(out, record.micros, 'H');
        HexText::AppendBytes(out, bytes);
        pictureOpen_ = true;
        pictureBytes_ = bytes.size() >= 5 ? bytes.size() - 5 : 0;
        pictureColumn_ = bytes.size() > 3 ? bytes[3] : 0;
        pictureRow_ = bytes.size() > 4 ? bytes[4] : 0;
        break;
    case Kind::PictureMore:
        if (pictureOpen_) {
            HexText::AppendBytes(out_, bytes);
            pictureBytes_ += bytes.size();
        }
        break;
    case Kind::PictureDone:
        if (pictureOpen_) {
            if (record.detail != 0) {
                out_ += " 03";
                swallowEtx_ = true;
            }
            EndPicture({});
        }
        break;
    case Kind::Sent:
        BeginLine(out, record.micros, 'S');
        HexText::AppendBytes(out, bytes);
        out += " # ";
        out += StationMessageTable::Read(bytes);
        out += '\n';
        break;
    }
}

void TraceWriter::EndPicture(std::string_view ending) {
    out_ += " # picture col=" + std::to_string(pictureColumn_) +
            " row=" + std::to_string(pictureRow_) + ", file of " + Bytes(pictureBytes_);
    if (!ending.empty()) {
        out_ += ", ";
        out_ += ending;
    }
    out_ += '\n';
    out_ += deferred_;
    deferred_.clear();
    pictureOpen_ = false;
}

void TraceWriter::Flush() {
    std::string_view rest = out_;
    while (!stopped_ && !rest.empty()) {
        const ssize_t n = ::write(fd_, rest.data(), rest.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Stop(n < 0 ? errno : ENOSPC);
            break;
        }
        const auto count = static_cast<std::size_t>(n);
        if (const auto newline = rest.substr(0, count).rfind('\n'); newline != rest.npos) {
            wholeLines_ = written_ + newline + 1;
        }
        written_ += count;
        rest.remove_prefix(count);
    }
    out_.clear();
}

void TraceWriter::Stop(int error) {
    stopped_ = true;
    std::string text = "the trace " + name_ + " stopped: " + ::strerrordesc_np(error);
    // A line the failed write cut short is taken back, so the trace ends with a whole line; a
    // file that cannot be cut back says so.
    if (written_ != wholeLines_ &&
        (!file_.Valid() || ::ftruncate(fd_, static_cast<off_t>(wholeLines_)) != 0)) {
        text += "; its last line is cut short";
    }
    Log::Error(LogArea::Host, text);
}

} // namespace qx44
