#pragma once

#include "core/common/CancelToken.h"
#include "core/hostlink/MessageFramer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// Hands the stream to the framing in reads of `readSize` bytes, as the receive thread would.
inline void FeedInReads(qx44::MessageFramer& framer, const std::vector<std::uint8_t>& stream,
                        std::size_t readSize, const qx44::CancelToken& closing) {
    for (std::size_t from = 0; from < stream.size(); from += readSize) {
        const std::size_t n = std::min(readSize, stream.size() - from);
        auto space = framer.Buffer().FreeSpace();
        std::copy_n(stream.begin() + static_cast<long>(from), n, space.begin());
        framer.Buffer().Advance(n);
        framer.ProcessReceived(closing, closing);
    }
}
