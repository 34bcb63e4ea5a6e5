#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qx44 {

// A small text file that is read whole and rewritten where it stands: the same inode, so its
// owner, mode and links stay, and a user who may write the file but not its folder can save.
//
// A rewrite first appends the new text behind a NUL byte, with its length and checksum, and syncs;
// only then does it copy the text over the start and cut the file to it. A reader that finds such
// a complete copy at the end takes it, and otherwise the text before the first NUL, so a crash at
// any step leaves a file that reads as the old text or as the new one, never as a mix. Readers and
// writers take flock locks, so no reader in any process sees a rewrite half done.
//
// Only regular files are opened: a device, a FIFO or a socket is refused without blocking, and so
// is a file larger than the bound the caller gives.
class InPlaceFile {
public:
    enum class State { Missing, Loaded, Unreadable, NotAFile, TooLarge };
    struct Status {
        State state = State::Missing;
        int error = 0; // errno, for Unreadable
    };
    struct Contents {
        Status status;
        std::string text;
    };

    InPlaceFile() = delete;

    // The text as the last complete write left it; empty unless the state is Loaded.
    static Contents Load(const std::string& path, std::size_t maxSize);

    // Replaces the text by edit(current text), creating the file when it is missing. Loaded when
    // the new text is in the file; any other state leaves the old text.
    static Status Rewrite(const std::string& path, std::size_t maxSize,
                          const std::function<std::string(std::string_view)>& edit);

    // "not a regular file", "larger than 1024 KiB" or the system's reason.
    static std::string Explain(const Status& status, std::size_t maxSize);
};

} // namespace qx44
