#pragma once

#include <string>
#include <vector>

namespace qx44 {

// Where the host's play and stop commands hand their requests; called on the receive thread.
class IMediaRequestSink {
public:
    virtual ~IMediaRequestSink() = default;
    // A host play list is the host's, never the local browser's.
    virtual void ClearLocalMode() = 0;
    // Hands the request, with its own copy of the play list, to the UI thread and returns.
    virtual void PostMediaRequest(int request, std::vector<std::string> playList) = 0;
};

} // namespace qx44
