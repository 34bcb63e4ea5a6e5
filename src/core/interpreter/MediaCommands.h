#pragma once

#include "core/hostlink/IHostSender.h"
#include "core/media/IMediaRequestSink.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qx44 {

// The host's media commands: the list of the station's media files, and the play and stop
// requests handed to the UI thread. Runs on the receive thread.
class MediaCommands {
public:
    // The reply is built in an area of this size.
    static constexpr std::size_t kReplyArea = 3072;
    static constexpr std::size_t kPlayListArea = 3072;
    static constexpr std::size_t kEntryArea = 255;

    explicit MediaCommands(IHostSender& host) : host_(host) {}

    // Set before the host link starts; requests made while none is set are dropped.
    void SetRequestSink(IMediaRequestSink* sink) { sink_ = sink; }

    // 0x35: the media files of the working directory.
    void ListMediaFiles(std::uint8_t address);
    // 0x40: the play list from offset 8 to the message's last byte, one entry per CR.
    void PlayMediaList(std::span<const std::uint8_t> message);
    // 0x41.
    void StopMedia();

private:
    IHostSender& host_;
    std::atomic<IMediaRequestSink*> sink_{nullptr};
};

} // namespace qx44
