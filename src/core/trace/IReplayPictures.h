#pragma once

#include "core/screen/ScreenDumpParser.h"

#include <span>
#include <string>

namespace qx44 {

// Draws a replay whose screens differ from their expectation, for a person to look at: the
// program fills it with its own renderer, the replay itself draws nothing.
class IReplayPictures {
public:
    virtual ~IReplayPictures() = default;

    // Writes expected.png, actual.png and diff.png (the differing cells marked) into the
    // existing `folder`; empty when all three are written, else why not.
    virtual std::string Draw(const std::string& folder, std::span<const DumpedScreen> expected,
                             std::span<const DumpedScreen> actual) = 0;
};

} // namespace qx44
