#include "core/interpreter/MediaCommands.h"

#include "core/media/MediaFileList.h"
#include "core/media/MediaRequests.h"
#include "core/protocol/FramingBytes.h"
#include "core/protocol/StationMessageTable.h"
#include "core/text/Windows1252.h"

#include <algorithm>
#include <vector>

namespace qx44 {

namespace {

constexpr std::size_t kPlayListOffset = 8;
constexpr std::uint8_t kEntryEnd = 0x0D;
// A list text this long still fits the reply area with its five envelope bytes; a longer one is
// cut one byte shorter still, as the station cuts it.
constexpr std::size_t kLongestWholeList = MediaCommands::kReplyArea - 5;
constexpr std::size_t kCutList = kLongestWholeList - 1;

} // namespace

void MediaCommands::ListMediaFiles(std::uint8_t address) {
    std::string list = MediaFileList::List(".");
    if (list.size() > kLongestWholeList) {
        list.resize(kCutList);
    }
    std::vector<std::uint8_t> reply;
    reply.reserve(list.size() + 5);
    reply.insert(reply.end(), {kStx, address, StationMessageTable::kMediaList.code, 0x00});
    reply.insert(reply.end(), list.begin(), list.end());
    reply.push_back(kEtx);
    host_.SendToHost(reply);
}

void MediaCommands::PlayMediaList(std::span<const std::uint8_t> message) {
    if (message.size() <= kPlayListOffset) {
        return;
    }
    const auto text =
        message.subspan(kPlayListOffset, std::min(message.size() - kPlayListOffset, kPlayListArea));
    std::vector<std::string> playList;
    std::vector<unsigned char> entry;
    const auto addEntry = [&] {
        playList.push_back(Windows1252::ToUtf8(entry));
        entry.clear();
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kEntryEnd) {
            addEntry();
            continue;
        }
        if (entry.size() < kEntryArea) {
            entry.push_back(text[i]);
        }
        if (i + 1 == text.size()) {
            addEntry();
        }
    }
    if (IMediaRequestSink* sink = sink_.load()) {
        sink->ClearLocalMode();
        sink->PostMediaRequest(MediaRequests::kPlay, std::move(playList));
    }
}

void MediaCommands::StopMedia() {
    if (IMediaRequestSink* sink = sink_.load()) {
        sink->PostMediaRequest(MediaRequests::kStop, {});
    }
}

} // namespace qx44
