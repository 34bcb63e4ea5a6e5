#pragma once

#include "core/common/UniqueFd.h"
#include "core/hostlink/IHostTrace.h"
#include "core/protocol/HostMessageKind.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qx44 {

// The decoded trace of a host session, one line per message in arrival order:
//   "    412 H 02 01 23 0A 05 D2 00 02 48 69 03 # text col=10 row=5 bg=210 fg=0 \"Hi\""
// (milliseconds since the trace began, H host to station or S station to host, the bytes, and
// after '#' what they mean), connection events and dropped bytes included. The threads that
// report only copy the bytes into a bounded buffer; a thread of its own decodes and writes, so
// a slow disk never holds up the receive thread. What does not fit is left out and said so. A
// write that fails (a full disk) stops the trace for good, said once in the log, and the file is
// cut back to its last whole line.
class TraceWriter : public IHostTrace {
public:
    static constexpr std::size_t kBufferBound = 8u * 1024 * 1024;

    // "-" writes to stderr. Returns nullptr with `error` set when the file cannot be made or is
    // not a regular file.
    static std::unique_ptr<TraceWriter> Open(const std::string& path,
                                             HostMessageKind::Context context, std::string& error);
    // Writes to `fd`, which `file` owns unless it is empty; `name` is how the log names it and
    // `bound` is the most bytes waiting.
    TraceWriter(UniqueFd file, int fd, std::string name, HostMessageKind::Context context,
                std::size_t bound = kBufferBound);
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;
    // Writes out everything reported so far.
    ~TraceWriter() override;

    void HostConnected(std::string_view peer) override;
    void HostClosed() override;
    void Received(std::span<const std::uint8_t> message) override;
    void Dropped(std::span<const std::uint8_t> bytes, DropReason reason) override;
    void PictureBytes(std::span<const std::uint8_t> bytes, bool first) override;
    void PictureDone(bool etxFollows) override;
    void Sent(std::span<const std::uint8_t> message) override;

    // How many reports the full buffer has left out so far.
    std::size_t LeftOut() const;

private:
    enum class Kind : std::uint8_t {
        Connected,
        Closed,
        Received,
        Dropped,
        PictureStart,
        PictureMore,
        PictureDone,
        Sent,
        Overflow,
    };
    struct Record {
        Kind kind;
        std::uint8_t detail;
        std::int64_t micros;
        std::size_t offset;
        std::size_t length;
    };
    struct Batch {
        std::vector<Record> records;
        std::vector<std::uint8_t> bytes;
    };

    void Push(Kind kind, std::uint8_t detail, std::span<const std::uint8_t> bytes);
    void Run();
    void Format(const Record& record, std::span<const std::uint8_t> bytes);
    void BeginLine(std::string& out, std::int64_t micros, char direction) const;
    void EndPicture(std::string_view ending);
    void Flush();
    void Stop(int error);

    UniqueFd file_;
    int fd_;
    std::string name_;
    HostMessageKind::Context context_;
    std::size_t bound_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();

    mutable std::mutex mutex_;
    std::condition_variable pending_;
    Batch batch_;
    std::size_t overflowMessages_ = 0;
    std::size_t overflowBytes_ = 0;
    std::size_t leftOut_ = 0;
    bool stopping_ = false;
    // Set once a write has failed; nothing is taken or written after that.
    std::atomic<bool> stopped_{false};

    // Used by the writing thread alone.
    std::string out_;
    // Lines from other threads that came while a picture's line was being written.
    std::string deferred_;
    bool pictureOpen_ = false;
    std::size_t pictureBytes_ = 0;
    int pictureColumn_ = 0;
    int pictureRow_ = 0;
    bool swallowEtx_ = false;
    // Bytes in the file, and how many of them end with its last newline.
    std::uint64_t written_ = 0;
    std::uint64_t wholeLines_ = 0;

    std::thread writer_;
};

} // namespace qx44
