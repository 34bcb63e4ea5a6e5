#pragma once

#include <string>
#include <string_view>

namespace qx44 {

// Which play-list entries the station opens, and under what name the media engine opens them.
//
// The entries come from the host, a network peer, and a media engine opens far more than files:
// URLs of every protocol (loopback services included), devices, and filter graphs that write
// files. So an entry is accepted only as the name of a local file, relative to the working
// directory or absolute, '\' read as '/'; the engine gets a relative name with "./" before it, so
// no part of it can read as a protocol. Refused are an empty entry, one with a NUL byte, and one
// that starts with a protocol prefix: a letter, then letters, digits, '+', '-' or '.', then ':',
// and one that names a device, a pipe or a socket that exists (a serial port, /proc/self/fd/N).
// A single letter and ':' is a drive letter ("C:\clips\a.avi"), kept as the relative path it is
// here. A file whose name starts like a protocol ("av:x.mp4") is played when named ".\av:x.mp4".
//
// With test sources allowed, "av://lavfi:NAME" and "av://lavfi:NAME=KEY=VALUE:KEY=VALUE..." are
// accepted as well, for the source filters of the rules table with the options each may take
// (size, rate, duration; colour for color), every value of letters, digits and ".+-/#@": one
// source, never a graph or an option that names a file. Such an entry goes to the engine as given.
//
// Check gives every entry a verdict and has no other effect (it looks at the file, never opens it).
class PlayListEntryPolicy {
public:
    struct Verdict {
        // What the engine opens; empty when refused.
        std::string source;
        // Why the entry is refused, in a few words for the log; empty when accepted.
        std::string_view refusal;

        bool Accepted() const { return refusal.empty(); }
    };

    // One test source filter and the options it may be given.
    struct SourceRule;

    static constexpr std::string_view kTestSourcePrefix = "av://lavfi:";

    explicit PlayListEntryPolicy(bool testSources) : testSources_(testSources) {}

    Verdict Check(std::string_view entry) const;

private:
    bool testSources_;
};

} // namespace qx44
