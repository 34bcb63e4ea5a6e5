#pragma once

#include "core/hostlink/CCommand_Buffer.h"
#include "core/hostlink/IHostMessageSink.h"
#include "core/hostlink/IHostTrace.h"

#include <cstdint>
#include <string>

namespace qx44 {

// Cuts one connection's byte stream into messages and streams bitmap transfers to their file.
// Used only by that connection's receive thread.
class MessageFramer {
public:
    // The longest message a handler is given; a longer one is cut to this size.
    static constexpr std::size_t kHandOffSize = CCommand_Buffer::kLongestPlayList;
    // A larger size field is not believed: one bad header must not turn the rest of the
    // connection into file data.
    static constexpr std::uint32_t kMaxTransferSize = 64u * 1024 * 1024;

    MessageFramer(IHostMessageSink& sink, std::string transferPath,
                  IHostTrace& trace = IHostTrace::None());

    CCommand_Buffer& Buffer() { return buffer_; }
    bool TransferInProgress() const { return transfer_.inProgress; }
    // Forgets the buffered bytes and abandons a transfer, as when the connection ends.
    void Reset();

    // Runs after every read that delivered bytes. Returns false when the connection is closing
    // and the receive thread must end. Handlers wait on `handlerWaits`.
    bool ProcessReceived(const CancelToken& closing, const CancelToken& handlerWaits);

private:
    enum class BitmapStep { Continue, StopLoop };

    struct Transfer {
        bool inProgress = false;
        int column = 0;
        int row = 0;
        std::uint32_t size = 0;
        std::uint32_t written = 0;
        // False once a piece of the file could not be written: there is no picture to show.
        bool fileWhole = false;
    };

    void ContinueTransfer();
    BitmapStep StartTransfer();
    void FinishTransfer();
    // The first write of a transfer truncates the file.
    void WriteTransfer(std::span<const std::uint8_t> bytes, bool first);
    void Dispatch(std::size_t end, const CancelToken& handlerWaits);

    IHostMessageSink& sink_;
    IHostTrace& trace_;
    std::string transferPath_;
    CCommand_Buffer buffer_;
    Transfer transfer_;
};

} // namespace qx44
