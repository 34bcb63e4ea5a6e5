#pragma once

#include <array>
#include <string>
#include <vector>

namespace qx44 {

// A play list as the host sends it: file lines to play, and exit-key lines (a line feed followed
// by two three-digit host key numbers) that say which keys close the player.
struct HostPlayList {
    std::vector<std::string> files;
    // Host key numbers of the two exit key sets: set 1 from the first exit-key line, set 2 from
    // the last of the later ones; 0 where no line gave one.
    std::array<int, 4> keys{};

    static HostPlayList Parse(const std::vector<std::string>& lines);
};

} // namespace qx44
